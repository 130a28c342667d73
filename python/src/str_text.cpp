#include "str_text.h"

#include <orvani/internal/utf8.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace orvani::python {
namespace {

namespace py = pybind11;

// As the core's Transcriber::MayCompose.
constexpr bool MayCompose(Py_UCS4 c) noexcept {
    return c >= 0x300 && (c < 0x2002 || c > 0x207F);
}

constexpr bool IsSurrogate(Py_UCS4 c) noexcept {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Without branches, so that the compiler can scan many characters at a time.
template <typename Unit>
StrContents ContentsOfUnits(const Unit* units, std::size_t length) noexcept {
    unsigned compose = 0;
    unsigned surrogate = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const Py_UCS4 c = units[i];
        compose |=
            static_cast<unsigned>(c >= 0x300) & static_cast<unsigned>(c < 0x2002 || c > 0x207F);
        surrogate |= static_cast<unsigned>(c - 0xD800 < 0x800);
    }
    return {compose != 0, surrogate != 0};
}

template <typename Unit>
std::size_t WriteUnitsAsUtf8(const Unit* units, std::size_t count, char* out) noexcept {
    char* p = out;
    std::size_t i = 0;
    while (i < count) {
        // Runs of ASCII four characters at a time.
        if (count - i >= 4 && (units[i] | units[i + 1] | units[i + 2] | units[i + 3]) < 0x80) {
            for (std::size_t k = 0; k < 4; ++k) {
                p[k] = static_cast<char>(units[i + k]);
            }
            p += 4;
            i += 4;
            continue;
        }
        const Py_UCS4 c = units[i++];
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
        } else {
            p = internal::EncodeUtf8(c, p);
        }
    }
    return static_cast<std::size_t>(p - out);
}

// Valid UTF-8 into code units wide enough for each of its characters.
template <typename Unit>
void WriteUnits(std::string_view utf8, Unit* out) noexcept {
    const char* p = utf8.data();
    const char* const end = p + utf8.size();
    while (p < end) {
        // Most converted text is ASCII: eight characters at a time where it is.
        std::uint64_t eight = 0;
        if (end - p >= 8 && (std::memcpy(&eight, p, 8), (eight & 0x8080808080808080U) == 0)) {
            for (int i = 0; i < 8; ++i) {
                *out++ = static_cast<Unit>(p[i]);
            }
            p += 8;
            continue;
        }
        const internal::Utf8Char read = internal::DecodeUtf8(p, end);
        *out++ = static_cast<Unit>(read.c);
        p += read.length;
    }
}

// The character at `p` of valid UTF-8 (the core's own output, not checked again), and its length.
struct Decoded {
    Py_UCS4 c;
    int length;
};

inline Decoded DecodeTrusted(const char* p) noexcept {
    const auto byte = [p](int i) { return static_cast<Py_UCS4>(static_cast<unsigned char>(p[i])); };
    const Py_UCS4 lead = byte(0);
    if (lead < 0xE0) {
        // One or two bytes, the usual New text, without a branch to mispredict.
        const bool two = lead >= 0x80;
        return {two ? ((lead & 0x1F) << 6) | (byte(1) & 0x3F) : lead, two ? 2 : 1};
    }
    if (lead < 0xF0) {
        return {((lead & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F), 3};
    }
    return {((lead & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) |
                (byte(3) & 0x3F),
            4};
}

// As WriteUnits, and stops at a character wider than `limit`.
template <typename Unit>
std::optional<std::size_t> WriteUnitsWithin(std::string_view utf8, Unit* out, Py_UCS4 limit,
                                            Py_UCS4& widest) noexcept {
    Unit* const start = out;
    const char* p = utf8.data();
    const char* const end = p + utf8.size();
    Py_UCS4 seen = widest;
    const auto one = [&] {
        const Decoded read = DecodeTrusted(p);
        seen = read.c > seen ? read.c : seen;
        *out++ = static_cast<Unit>(read.c);
        p += read.length;
    };
    // Eight bytes at a time while a second byte can be read ahead: all at once where they are
    // ASCII, else a character at a time up to their end.
    while (end - p > 8) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, p, 8);
        if ((eight & 0x8080808080808080U) == 0) {
            for (int i = 0; i < 8; ++i) {
                out[i] = static_cast<Unit>(p[i]);
            }
            out += 8;
            p += 8;
            continue;
        }
        for (const char* const stop = p + 8; p < stop;) {
            one();
        }
        if (seen > limit) {
            return std::nullopt;
        }
    }
    while (p < end) {
        one();
    }
    if (seen > limit) {
        return std::nullopt;
    }
    widest = seen;
    return static_cast<std::size_t>(out - start);
}

} // namespace

std::optional<std::size_t> WriteCharacters(std::string_view utf8, PyObject* str, std::size_t at,
                                           Py_UCS4& widest) noexcept {
    const Py_UCS4 limit = PyUnicode_MAX_CHAR_VALUE(str);
    void* data = PyUnicode_DATA(str);
    switch (PyUnicode_KIND(str)) {
    case PyUnicode_1BYTE_KIND:
        return WriteUnitsWithin(utf8, static_cast<Py_UCS1*>(data) + at, limit, widest);
    case PyUnicode_2BYTE_KIND:
        return WriteUnitsWithin(utf8, static_cast<Py_UCS2*>(data) + at, limit, widest);
    default:
        return WriteUnitsWithin(utf8, static_cast<Py_UCS4*>(data) + at, limit, widest);
    }
}

StrText TextOf(PyObject* str) noexcept {
    return {PyUnicode_KIND(str), PyUnicode_DATA(str),
            static_cast<std::size_t>(PyUnicode_GET_LENGTH(str)), PyUnicode_IS_ASCII(str) != 0};
}

StrContents ContentsOf(const StrText& text) noexcept {
    switch (text.kind) {
    case PyUnicode_1BYTE_KIND:
        return {};
    case PyUnicode_2BYTE_KIND:
        return ContentsOfUnits(static_cast<const Py_UCS2*>(text.data), text.length);
    default:
        return ContentsOfUnits(static_cast<const Py_UCS4*>(text.data), text.length);
    }
}

std::size_t WriteUtf8(const StrText& text, std::size_t from, std::size_t count,
                      char* out) noexcept {
    switch (text.kind) {
    case PyUnicode_1BYTE_KIND:
        return WriteUnitsAsUtf8(static_cast<const Py_UCS1*>(text.data) + from, count, out);
    case PyUnicode_2BYTE_KIND:
        return WriteUnitsAsUtf8(static_cast<const Py_UCS2*>(text.data) + from, count, out);
    default:
        return WriteUnitsAsUtf8(static_cast<const Py_UCS4*>(text.data) + from, count, out);
    }
}

StrShape ShapeOf(std::string_view utf8) noexcept {
    std::size_t continuations = 0;
    unsigned char highest = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        continuations += internal::IsUtf8Continuation(c) ? 1 : 0;
        highest = byte > highest ? byte : highest;
    }
    // The exact class matters: CPython takes a str to be as narrow as its characters allow.
    const Py_UCS4 maxChar = highest < 0x80   ? 0x7F
                            : highest < 0xC4 ? 0xFF
                            : highest < 0xF0 ? 0xFFFF
                                             : 0x10FFFF;
    return {utf8.size() - continuations, maxChar};
}

py::str NewStr(std::string_view utf8, StrShape shape, bool releaseGil) {
    PyObject* str = PyUnicode_New(static_cast<Py_ssize_t>(shape.length), shape.maxChar);
    if (str == nullptr) {
        throw py::error_already_set();
    }
    const int kind = PyUnicode_KIND(str);
    void* data = PyUnicode_DATA(str);
    // No one else can see the new str yet: its characters are written without the GIL.
    std::optional<py::gil_scoped_release> unlocked;
    if (releaseGil) {
        unlocked.emplace();
    }
    if (kind == PyUnicode_1BYTE_KIND) {
        if (shape.maxChar < 0x80) {
            std::memcpy(data, utf8.data(), utf8.size());
        } else {
            WriteUnits(utf8, static_cast<Py_UCS1*>(data));
        }
    } else if (kind == PyUnicode_2BYTE_KIND) {
        WriteUnits(utf8, static_cast<Py_UCS2*>(data));
    } else {
        WriteUnits(utf8, static_cast<Py_UCS4*>(data));
    }
    unlocked.reset();
    return py::reinterpret_steal<py::str>(str);
}

py::str StrOfCodePoints(std::u32string_view text) {
    std::vector<Py_UCS4> units(text.begin(), text.end());
    PyObject* str = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, units.data(),
                                              static_cast<Py_ssize_t>(units.size()));
    if (str == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(str);
}

std::u32string CodePointsOf(const StrText& text) {
    std::u32string out(text.length, U'\0');
    for (std::size_t i = 0; i < text.length; ++i) {
        out[i] = PyUnicode_READ(text.kind, text.data, static_cast<Py_ssize_t>(i));
    }
    return out;
}

} // namespace orvani::python
