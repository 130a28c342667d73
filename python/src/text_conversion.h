#pragma once

// Conversions of strs: whole ones (convert, convert_many) on the quickest road each str's
// storage allows, and texts that come in pieces (Converter).

#include "str_text.h"

#include <orvani/normalization.h>
#include <orvani/pipeline.h>
#include <orvani/standard.h>

#include <Python.h>
#include <atomic>
#include <pybind11/pybind11.h>
#include <span>
#include <string>
#include <string_view>

namespace orvani::python {

struct TextSettings {
    Standard source = Standard::Old;
    Standard target = Standard::New;
    ConversionOptions options;
    bool normalize = true;
};

// The str `text` converted. Holds the GIL for short texts and lets it go while a long one
// converts.
[[nodiscard]] pybind11::str ConvertStr(PyObject* text, const TextSettings& settings);

// The strs `texts`, held by the caller, converted and appended to the list `out` in their
// order: the short ones together without the GIL, any other as ConvertStr converts it.
void ConvertStrs(std::span<PyObject* const> texts, const TextSettings& settings, PyObject* out);

// A conversion of valid UTF-8 text fed in pieces. With normalisation on, the end of each piece
// that a following piece could still compose with is held back, so that pieces convert as
// their whole would.
class Utf8Stream {
public:
    explicit Utf8Stream(const TextSettings& settings);

    // Appends the converted text of `utf8` to `out`.
    void feed(std::string_view utf8, std::string& out);
    // Appends what is held back and what the last piece left open; then ready for a new text.
    void finish(std::string& out);
    // The most bytes that feeding `bytes` bytes and finishing may append, but for what NFC adds.
    [[nodiscard]] std::size_t maxOutput(std::size_t bytes) const noexcept {
        return converter_.maxUtf8Output(bytes);
    }
    // For text with lone surrogates, which end with one (see ConvertStr).
    void feedCodePoints(std::u32string_view text, std::u32string& out);

private:
    void convert(std::string_view utf8, std::string& out);

    Converter converter_;
    bool normalize_;
    NfcStream nfc_;
    std::string normal_; // the block being converted, normalised
};

// The Python class Converter: one text in pieces, for one thread at a time.
class StreamConverter {
public:
    explicit StreamConverter(const TextSettings& settings) : stream_(settings) {}

    [[nodiscard]] pybind11::str feed(PyObject* text);
    [[nodiscard]] pybind11::str finish();

private:
    pybind11::str feedCodePoints(PyObject* text);

    Utf8Stream stream_;
    std::atomic<bool> busy_{false};
};

} // namespace orvani::python
