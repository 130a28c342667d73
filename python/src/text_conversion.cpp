#include "text_conversion.h"

#include <orvani/internal/utf8.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

namespace orvani::python {
namespace {

namespace py = pybind11;

// Below this many characters giving up the GIL costs more than the conversion.
constexpr std::size_t kReleaseGilFrom = 16 * 1024;
// Characters of a str that is not ASCII put into UTF-8 at a time.
constexpr std::size_t kTranscodeBlock = 16 * 1024;
// Input bytes converted at a time, so that the room made ahead for each is in the cache.
constexpr std::size_t kConvertBlock = 64 * 1024;
// Texts up to this many characters are converted in buffers on the stack.
constexpr std::size_t kShortText = 128;

// Lets other threads run Python while a long text converts.
class ReleaseGilIfLong {
public:
    explicit ReleaseGilIfLong(std::size_t characters) {
        if (characters >= kReleaseGilFrom) {
            release_.emplace();
        }
    }

private:
    std::optional<py::gil_scoped_release> release_;
};

// Calls `take` with the UTF-8 of `text`, which holds no lone surrogate, in pieces of whole
// characters: an ASCII str as it is stored, any other a block at a time through `scratch`.
template <typename Take>
void ForEachUtf8Piece(const StrText& text, std::string& scratch, Take&& take) {
    if (text.ascii) {
        take(text.asciiView());
        return;
    }
    scratch.resize(internal::kLongestUtf8 * std::min(text.length, kTranscodeBlock));
    for (std::size_t from = 0; from < text.length; from += kTranscodeBlock) {
        const std::size_t count = std::min(kTranscodeBlock, text.length - from);
        take(std::string_view(scratch.data(), WriteUtf8(text, from, count, scratch.data())));
    }
}

// A short text that needs no NFC, converted without a single allocation but the result's.
std::optional<py::str> ConvertShort(const StrText& text, const TextSettings& settings) {
    std::array<char, internal::kLongestUtf8 * kShortText> in; // NOLINT: written before read
    const std::string_view utf8 =
        text.ascii ? text.asciiView()
                   : std::string_view(in.data(), WriteUtf8(text, 0, text.length, in.data()));
    Converter converter(settings.source, settings.target, settings.options);
    std::array<char, 8 * internal::kLongestUtf8 * kShortText> out; // NOLINT: as `in`
    if (converter.maxUtf8Output(utf8.size()) > out.size()) {
        return std::nullopt;
    }
    const Utf8Progress step = converter.convertUtf8(utf8, out);
    const Utf8Finish last = converter.finishUtf8(std::span(out).subspan(step.written));
    const std::string_view converted(out.data(), step.written + last.written);
    return NewStr(converted, ShapeOf(converted), false);
}

// The widest character class that the converted text is expected to need: that of the text, and
// for New text that of its letters ("š" is U+0161).
Py_UCS4 ExpectedWidest(const StrText& text, Standard target) noexcept {
    Py_UCS4 widest = text.ascii                          ? 0x7F
                     : text.kind == PyUnicode_1BYTE_KIND ? 0xFF
                     : text.kind == PyUnicode_2BYTE_KIND ? 0xFFFF
                                                         : 0x10FFFF;
    if (target == Standard::New) {
        widest = std::max<Py_UCS4>(widest, 0xFFFF);
    }
    return widest;
}

constexpr Py_UCS4 ClassOf(Py_UCS4 c) noexcept {
    return c < 0x80 ? 0x7F : c < 0x100 ? 0xFF : c < 0x10000 ? 0xFFFF : 0x10FFFF;
}

// A text that needs no NFC, converted a block at a time straight into a str as wide as the
// result is expected to be: no copy of the whole in between. Nothing where a character turns
// out wider than expected.
std::optional<py::str> ConvertIntoStr(const StrText& text, const TextSettings& settings) {
    Converter converter(settings.source, settings.target, settings.options);
    const std::size_t widestUtf8 = text.ascii                          ? 1
                                   : text.kind == PyUnicode_1BYTE_KIND ? 2
                                   : text.kind == PyUnicode_2BYTE_KIND ? 3
                                                                       : 4;
    // Every character is a byte at least: room for the most bytes is room enough. The pages
    // that are never written are never touched, and are given back when the str shrinks.
    const std::size_t most = converter.maxUtf8Output(widestUtf8 * text.length);
    const Py_UCS4 expected = ExpectedWidest(text, settings.target);
    PyObject* str = PyUnicode_New(static_cast<Py_ssize_t>(most), expected);
    if (str == nullptr) {
        throw py::error_already_set();
    }
    auto result = py::reinterpret_steal<py::object>(str);
    std::size_t length = 0;
    Py_UCS4 widest = 0;
    bool fits = true;
    {
        const ReleaseGilIfLong unlocked(text.length);
        std::string converted(converter.maxUtf8Output(std::min(most, kConvertBlock + 4)), '\0');
        const auto write = [&](std::string_view utf8) {
            const std::optional<std::size_t> written = WriteCharacters(utf8, str, length, widest);
            fits = fits && written.has_value();
            length += written.value_or(0);
        };
        std::string scratch;
        ForEachUtf8Piece(text, scratch, [&](std::string_view utf8) {
            while (fits && !utf8.empty()) {
                const std::string_view piece =
                    utf8.substr(0, internal::CharacterStartFrom(utf8, kConvertBlock));
                write(std::string_view(converted.data(),
                                       converter.convertUtf8(piece, converted).written));
                utf8.remove_prefix(piece.size());
            }
        });
        if (fits) {
            write(std::string_view(converted.data(), converter.finishUtf8(converted).written));
        }
    }
    if (!fits) {
        return std::nullopt;
    }
    if (ClassOf(widest) < expected) {
        // CPython takes a str to be as narrow as its characters allow: made again, narrower.
        PyObject* narrow = PyUnicode_FromKindAndData(PyUnicode_KIND(str), PyUnicode_DATA(str),
                                                     static_cast<Py_ssize_t>(length));
        if (narrow == nullptr) {
            throw py::error_already_set();
        }
        return py::reinterpret_steal<py::str>(narrow);
    }
    PyObject* resized = result.release().ptr();
    if (PyUnicode_Resize(&resized, static_cast<Py_ssize_t>(length)) != 0) {
        Py_XDECREF(resized);
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(resized);
}

// Lone surrogates (from surrogateescape, say) on the road of code points, kept as they are.
py::str ConvertWithSurrogates(const StrText& text, const TextSettings& settings) {
    Utf8Stream stream(settings);
    std::u32string out;
    stream.feedCodePoints(CodePointsOf(text), out);
    std::string rest;
    stream.finish(rest);
    out += internal::ToCodePoints(rest);
    return StrOfCodePoints(out);
}

} // namespace

py::str ConvertStr(PyObject* str, const TextSettings& settings) {
    const StrText text = TextOf(str);
    const StrContents contents = ContentsOf(text);
    if (contents.surrogates) {
        return ConvertWithSurrogates(text, settings);
    }
    const bool normalize = settings.normalize && contents.mayCompose;
    if (text.length <= kShortText && !normalize) {
        if (auto converted = ConvertShort(text, settings)) {
            return std::move(*converted);
        }
    }
    if (!normalize) {
        if (auto converted = ConvertIntoStr(text, settings)) {
            return std::move(*converted);
        }
    }
    TextSettings chosen = settings;
    chosen.normalize = normalize;
    Utf8Stream stream(chosen);
    std::string out;
    // Only room asked for: the pages that are never written are never touched.
    const std::size_t widest = text.ascii ? 1 : text.kind == PyUnicode_1BYTE_KIND ? 2 : 4;
    out.reserve(stream.maxOutput(widest * text.length));
    StrShape shape;
    {
        // The str is immutable and held by the caller: it can be read without the GIL.
        const ReleaseGilIfLong unlocked(text.length);
        std::string scratch;
        ForEachUtf8Piece(text, scratch, [&](std::string_view utf8) { stream.feed(utf8, out); });
        stream.finish(out);
        shape = ShapeOf(out);
    }
    return NewStr(out, shape, text.length >= kReleaseGilFrom);
}

void ConvertStrs(std::span<PyObject* const> texts, const TextSettings& settings, PyObject* out) {
    struct Slot {
        StrText text;
        bool together = false; // short, and needing neither NFC nor the road of code points
        std::size_t begin = 0; // the bytes of its conversion in `converted`
        std::size_t end = 0;
    };
    std::vector<Slot> slots(texts.size());
    std::size_t together = 0;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        Slot& slot = slots[i];
        slot.text = TextOf(texts[i]);
        if (slot.text.length <= kShortText) {
            const StrContents contents = ContentsOf(slot.text);
            slot.together = !contents.surrogates && !(settings.normalize && contents.mayCompose);
            together += slot.together ? 1 : 0;
            bytes += slot.text.length;
        }
    }
    std::string converted;
    {
        // Worth it for more than a few.
        std::optional<py::gil_scoped_release> unlocked;
        if (together >= 64) {
            unlocked.emplace();
        }
        Converter converter(settings.source, settings.target, settings.options);
        converted.reserve(converter.maxUtf8Output(2 * bytes));
        std::array<char, internal::kLongestUtf8 * kShortText> in; // NOLINT: written before read
        for (Slot& slot : slots) {
            if (!slot.together) {
                continue;
            }
            const std::string_view utf8 =
                slot.text.ascii
                    ? slot.text.asciiView()
                    : std::string_view(in.data(),
                                       WriteUtf8(slot.text, 0, slot.text.length, in.data()));
            slot.begin = converted.size();
            converted.resize(slot.begin + converter.maxUtf8Output(utf8.size()) +
                             converter.maxUtf8Output(0));
            const std::span<char> room = std::span(converted).subspan(slot.begin);
            const Utf8Progress step = converter.convertUtf8(utf8, room);
            // The converter is then ready for the next text.
            const Utf8Finish last = converter.finishUtf8(room.subspan(step.written));
            slot.end = slot.begin + step.written + last.written;
            converted.resize(slot.end);
        }
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const Slot& slot = slots[i];
        py::str str;
        if (slot.together) {
            const std::string_view text(converted.data() + slot.begin, slot.end - slot.begin);
            str = NewStr(text, ShapeOf(text), false);
        } else {
            str = ConvertStr(texts[i], settings);
        }
        if (PyList_Append(out, str.ptr()) != 0) {
            throw py::error_already_set();
        }
    }
}

Utf8Stream::Utf8Stream(const TextSettings& settings)
    : converter_(settings.source, settings.target, settings.options),
      normalize_(settings.normalize) {}

void Utf8Stream::feed(std::string_view utf8, std::string& out) {
    if (!normalize_) {
        convert(utf8, out);
        return;
    }
    // A block at a time, so that the normalised copy of a long text stays small.
    constexpr std::size_t kBlock = 1 << 20;
    while (!utf8.empty()) {
        const std::size_t cut = internal::CharacterStartFrom(utf8, kBlock);
        normal_.clear();
        nfc_.feed(utf8.substr(0, cut), normal_);
        convert(normal_, out);
        utf8.remove_prefix(cut);
    }
}

void Utf8Stream::finish(std::string& out) {
    normal_.clear();
    nfc_.finish(normal_);
    convert(normal_, out);
    const std::size_t used = out.size();
    out.resize(used + converter_.maxUtf8Output(0));
    out.resize(used + converter_.finishUtf8(std::span(out).subspan(used)).written);
}

// Nothing composes across a surrogate, so the text is normalised (with what is held back) and
// converted on the road of code points, which keeps surrogates as they are.
void Utf8Stream::feedCodePoints(std::u32string_view text, std::u32string& out) {
    std::u32string whole = internal::ToCodePoints(nfc_.takeHeld());
    whole.append(text);
    converter_.feed(normalize_ ? ToNfc(whole) : whole, out);
}

void Utf8Stream::convert(std::string_view utf8, std::string& out) {
    while (!utf8.empty()) {
        const std::string_view piece =
            utf8.substr(0, internal::CharacterStartFrom(utf8, kConvertBlock));
        const std::size_t used = out.size();
        out.resize(used + converter_.maxUtf8Output(piece.size()));
        // Valid UTF-8 with room for all of it: converted whole.
        const Utf8Progress step = converter_.convertUtf8(piece, std::span(out).subspan(used));
        out.resize(used + step.written);
        utf8.remove_prefix(piece.size());
    }
}

namespace {

// The core converter is not to be used by two threads at once, and the GIL is let go during a
// conversion: a second caller is refused rather than left to race.
class Busy {
public:
    explicit Busy(std::atomic<bool>& flag) : flag_(flag) {
        if (flag_.exchange(true)) {
            throw std::runtime_error("this Converter is in use by another thread");
        }
    }
    ~Busy() { flag_ = false; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    std::atomic<bool>& flag_;
};

} // namespace

py::str StreamConverter::feed(PyObject* str) {
    const Busy busy(busy_);
    const StrText text = TextOf(str);
    if (ContentsOf(text).surrogates) {
        return feedCodePoints(str);
    }
    std::string out;
    StrShape shape;
    {
        const ReleaseGilIfLong unlocked(text.length);
        std::string scratch;
        ForEachUtf8Piece(text, scratch, [&](std::string_view utf8) { stream_.feed(utf8, out); });
        shape = ShapeOf(out);
    }
    return NewStr(out, shape, text.length >= kReleaseGilFrom);
}

py::str StreamConverter::finish() {
    const Busy busy(busy_);
    std::string out;
    stream_.finish(out);
    return NewStr(out, ShapeOf(out), false);
}

// Up to the last lone surrogate on the road of code points, the rest as usual.
py::str StreamConverter::feedCodePoints(PyObject* str) {
    const std::u32string points = CodePointsOf(TextOf(str));
    std::size_t split = points.size();
    while (split > 0 && !(points[split - 1] >= 0xD800 && points[split - 1] <= 0xDFFF)) {
        --split;
    }
    std::u32string head;
    stream_.feedCodePoints(std::u32string_view(points).substr(0, split), head);
    std::string tail;
    std::string scratch;
    const auto rest = py::reinterpret_steal<py::str>(PyUnicode_Substring(
        str, static_cast<Py_ssize_t>(split), static_cast<Py_ssize_t>(points.size())));
    if (!rest) {
        throw py::error_already_set();
    }
    ForEachUtf8Piece(TextOf(rest.ptr()), scratch,
                     [&](std::string_view utf8) { stream_.feed(utf8, tail); });
    PyObject* both =
        PyUnicode_Concat(StrOfCodePoints(head).ptr(), NewStr(tail, ShapeOf(tail), false).ptr());
    if (both == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(both);
}

} // namespace orvani::python
