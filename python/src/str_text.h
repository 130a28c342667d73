#pragma once

// A str's characters as CPython stores them (one, two or four bytes a character), read in
// place, and new strs written from UTF-8.

#include <Python.h>
#include <cstddef>
#include <optional>
#include <pybind11/pybind11.h>
#include <string>
#include <string_view>

namespace orvani::python {

// The characters of a str, as stored. Valid while the str lives; a str never changes, so they
// may be read without the GIL.
struct StrText {
    int kind = PyUnicode_1BYTE_KIND; // PyUnicode_1BYTE_KIND, _2BYTE_KIND or _4BYTE_KIND
    const void* data = nullptr;
    std::size_t length = 0; // in characters
    bool ascii = true;      // then `data` is its UTF-8 too

    [[nodiscard]] std::string_view asciiView() const noexcept {
        return {static_cast<const char*>(data), length};
    }
};

// What a str holds that the UTF-8 road must know of before it starts.
struct StrContents {
    bool mayCompose = false; // a character that NFC might change or compose (see the core)
    bool surrogates = false; // a lone surrogate, which has no UTF-8
};

// `str` must be a str.
[[nodiscard]] StrText TextOf(PyObject* str) noexcept;

// One- and two-byte strs without a character from U+0300 on hold neither: every Latin-1 str is
// its own NFC.
[[nodiscard]] StrContents ContentsOf(const StrText& text) noexcept;

// The characters [from, from + count) of `text`, which holds no lone surrogate, as UTF-8 into
// `out` (room for 4 bytes a character); returns the bytes written.
std::size_t WriteUtf8(const StrText& text, std::size_t from, std::size_t count, char* out) noexcept;

// Valid UTF-8 `utf8` into the characters of the new str `str` from character `at` on, without
// the GIL; `widest` grows to the widest character written. The characters written, or nothing
// where one is wider than `str` was made for (what was written is then to be dropped).
[[nodiscard]] std::optional<std::size_t> WriteCharacters(std::string_view utf8, PyObject* str,
                                                         std::size_t at, Py_UCS4& widest) noexcept;

// What a str needs to know before it is made: its length and its widest character.
struct StrShape {
    std::size_t length = 0;
    Py_UCS4 maxChar = 0;
};

// Of valid UTF-8.
[[nodiscard]] StrShape ShapeOf(std::string_view utf8) noexcept;

// The str of valid UTF-8 `utf8`, of the shape that ShapeOf gives; the characters are written
// without the GIL when `releaseGil`.
[[nodiscard]] pybind11::str NewStr(std::string_view utf8, StrShape shape, bool releaseGil);

// The str of `text`, code points kept as they are, lone surrogates included.
[[nodiscard]] pybind11::str StrOfCodePoints(std::u32string_view text);

// The characters of `str`, lone surrogates included.
[[nodiscard]] std::u32string CodePointsOf(const StrText& text);

} // namespace orvani::python
