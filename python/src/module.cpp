// The Python module `orvani`: the transcription core for Python 3 programs.
//
// Text goes in and out as UTF-8, the road the core is fastest on: a str hands over its UTF-8
// (for ASCII text, such as Old text, its own characters) without a copy, the core converts it
// without the GIL, and the result is decoded once into the new str.

#include <orvani/internal/utf8.h>
#include <orvani/normalization.h>
#include <orvani/pipeline.h>
#include <orvani/standard.h>
#include <orvani/version.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace {

// Below this many bytes giving up the GIL costs more than the conversion.
constexpr std::size_t kReleaseGilFrom = 16 * 1024;

void RequireStr(py::handle value, const char* what) {
    if (!PyUnicode_Check(value.ptr())) {
        const std::string type = Py_TYPE(value.ptr())->tp_name;
        const char* hint = PyBytes_Check(value.ptr()) || PyByteArray_Check(value.ptr())
                               ? " (decode it first, e.g. data.decode(\"utf-8\"))"
                               : "";
        throw py::type_error(std::string(what) + " must be str, not " + type + hint);
    }
}

// The UTF-8 of `text`, which lives as long as `text`; nothing when `text` holds lone
// surrogates, which have no UTF-8.
std::optional<std::string_view> Utf8Of(py::handle text) {
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
    if (data == nullptr) {
        if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) {
            throw py::error_already_set();
        }
        PyErr_Clear();
        return std::nullopt;
    }
    return std::string_view(data, static_cast<std::size_t>(size));
}

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

std::u32string CodePointsOf(py::handle text) {
    const Py_ssize_t length = PyUnicode_GetLength(text.ptr());
    std::u32string out(static_cast<std::size_t>(length), U'\0');
    for (Py_ssize_t i = 0; i < length; ++i) {
        out[static_cast<std::size_t>(i)] = PyUnicode_ReadChar(text.ptr(), i);
    }
    return out;
}

// Code points kept as they are, lone surrogates included.
py::str StrOf(std::u32string_view text) {
    std::vector<Py_UCS4> units(text.begin(), text.end());
    PyObject* str = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, units.data(),
                                              static_cast<Py_ssize_t>(units.size()));
    if (str == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(str);
}

orvani::Standard StandardOf(py::handle name, const char* what) {
    RequireStr(name, what);
    if (const auto utf8 = Utf8Of(name)) {
        if (const auto standard = orvani::ParseStandard(*utf8)) {
            return *standard;
        }
    }
    throw py::value_error(py::str("unknown standard {!r} for {}; choose old, new or script")
                              .format(name, what)
                              .cast<std::string>());
}

// Lets other threads run Python while a long text converts.
class ReleaseGilIfLong {
public:
    explicit ReleaseGilIfLong(std::size_t bytes) {
        if (bytes >= kReleaseGilFrom) {
            release_.emplace();
        }
    }

private:
    std::optional<py::gil_scoped_release> release_;
};

// What a str needs to know before it is made: its length and its widest character.
struct StrShape {
    std::size_t length = 0;
    Py_UCS4 maxChar = 0;
};

// Of valid UTF-8: the lead byte tells how wide a character is.
StrShape ShapeOf(std::string_view utf8) noexcept {
    std::size_t continuations = 0;
    unsigned char highest = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        continuations += orvani::internal::IsUtf8Continuation(c) ? 1 : 0;
        highest = byte > highest ? byte : highest;
    }
    // The exact class matters: CPython takes a str to be as narrow as its characters allow.
    const Py_UCS4 maxChar = highest < 0x80   ? 0x7F
                            : highest < 0xC4 ? 0xFF
                            : highest < 0xF0 ? 0xFFFF
                                             : 0x10FFFF;
    return {utf8.size() - continuations, maxChar};
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
        const orvani::internal::Utf8Char read = orvani::internal::DecodeUtf8(p, end);
        *out++ = static_cast<Unit>(read.c);
        p += read.length;
    }
}

// The str of valid UTF-8 `utf8`, of the shape given. CPython's own decoder holds the GIL and
// is slow on text that is not ASCII; here the characters are written, without the GIL, into
// the new str that no one else can see yet.
py::str NewStr(std::string_view utf8, StrShape shape) {
    PyObject* str = PyUnicode_New(static_cast<Py_ssize_t>(shape.length), shape.maxChar);
    if (str == nullptr) {
        throw py::error_already_set();
    }
    const int kind = PyUnicode_KIND(str);
    void* data = PyUnicode_DATA(str);
    {
        const ReleaseGilIfLong unlocked(utf8.size());
        if (kind == PyUnicode_1BYTE_KIND) {
            WriteUnits(utf8, static_cast<Py_UCS1*>(data));
        } else if (kind == PyUnicode_2BYTE_KIND) {
            WriteUnits(utf8, static_cast<Py_UCS2*>(data));
        } else {
            WriteUnits(utf8, static_cast<Py_UCS4*>(data));
        }
    }
    return py::reinterpret_steal<py::str>(str);
}

// A conversion of valid UTF-8 text fed in pieces. With normalisation on, the end of each
// piece that a following piece could still compose with is held back, so that pieces convert
// as their whole would.
class Utf8Stream {
public:
    Utf8Stream(orvani::Standard source, orvani::Standard target, orvani::ConversionOptions options,
               bool normalize)
        : converter_(source, target, options), normalize_(normalize) {}

    // Appends the converted text of `utf8` to `out`, a block at a time, so that the normalised
    // copy of a long text stays small.
    void feed(std::string_view utf8, std::string& out) {
        if (!normalize_) {
            convert(utf8, out);
            return;
        }
        constexpr std::size_t kBlock = 1 << 20;
        while (!utf8.empty()) {
            const std::size_t cut = orvani::internal::CharacterStartFrom(utf8, kBlock);
            normal_.clear();
            nfc_.feed(utf8.substr(0, cut), normal_);
            convert(normal_, out);
            utf8.remove_prefix(cut);
        }
    }

    // Appends what is held back and what the last piece left open; then ready for a new text.
    void finish(std::string& out) {
        normal_.clear();
        nfc_.finish(normal_);
        convert(normal_, out);
        const std::size_t used = out.size();
        out.resize(used + converter_.maxUtf8Output(0));
        out.resize(used + converter_.finishUtf8(std::span(out).subspan(used)).written);
    }

    // For text with lone surrogates, which end with one. Nothing composes across a surrogate,
    // so the text is normalised (with what is held back) and converted on the road of code
    // points, which keeps surrogates as they are.
    void feedCodePoints(std::u32string_view text, std::u32string& out) {
        std::u32string whole = orvani::internal::ToCodePoints(nfc_.takeHeld());
        whole.append(text);
        converter_.feed(normalize_ ? orvani::ToNfc(whole) : whole, out);
    }

private:
    void convert(std::string_view utf8, std::string& out) {
        const std::size_t used = out.size();
        out.resize(used + converter_.maxUtf8Output(utf8.size()));
        // Valid UTF-8 with room for all of it: converted whole.
        const orvani::Utf8Progress step =
            converter_.convertUtf8(utf8, std::span(out).subspan(used));
        out.resize(used + step.written);
    }

    orvani::Converter converter_;
    bool normalize_;
    orvani::NfcStream nfc_;
    std::string normal_; // the block being converted, normalised
};

py::str Convert(py::handle text, py::handle source, py::handle target, bool a, bool ohUh,
                bool normalize) {
    RequireStr(text, "text");
    Utf8Stream stream(StandardOf(source, "source"), StandardOf(target, "target"),
                      {.a = a, .ohUh = ohUh}, normalize);
    const std::optional<std::string_view> utf8 = Utf8Of(text);
    if (!utf8) {
        // Lone surrogates (from surrogateescape, say): kept as they are.
        std::u32string out;
        stream.feedCodePoints(CodePointsOf(text), out);
        std::string rest;
        stream.finish(rest);
        out += orvani::internal::ToCodePoints(rest);
        return StrOf(out);
    }
    std::string out;
    StrShape shape;
    {
        // The str is immutable and held by the caller: its UTF-8 can be read without the GIL.
        const ReleaseGilIfLong unlocked(utf8->size());
        out.reserve(utf8->size());
        stream.feed(*utf8, out);
        stream.finish(out);
        shape = ShapeOf(out);
    }
    return NewStr(out, shape);
}

// The Python class Converter.
class StreamConverter {
public:
    StreamConverter(py::handle source, py::handle target, bool a, bool ohUh, bool normalize)
        : stream_(StandardOf(source, "source"), StandardOf(target, "target"),
                  {.a = a, .ohUh = ohUh}, normalize) {}

    py::str feed(py::handle text) {
        RequireStr(text, "text");
        const Busy busy(busy_);
        const std::optional<std::string_view> utf8 = Utf8Of(text);
        if (!utf8) {
            return feedCodePoints(text);
        }
        std::string out;
        StrShape shape;
        {
            const ReleaseGilIfLong unlocked(utf8->size());
            stream_.feed(*utf8, out);
            shape = ShapeOf(out);
        }
        return NewStr(out, shape);
    }

    py::str finish() {
        const Busy busy(busy_);
        std::string out;
        stream_.finish(out);
        return NewStr(out, ShapeOf(out));
    }

private:
    // The core converter is not to be used by two threads at once, and the GIL is let go
    // during a conversion: a second caller is refused rather than left to race.
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

    // Up to the last lone surrogate on the road of code points, the rest as usual.
    py::str feedCodePoints(py::handle text) {
        const std::u32string points = CodePointsOf(text);
        std::size_t split = points.size();
        while (split > 0 && !IsSurrogate(points[split - 1])) {
            --split;
        }
        std::u32string head;
        stream_.feedCodePoints(std::u32string_view(points).substr(0, split), head);
        const py::str rest = py::reinterpret_steal<py::str>(PyUnicode_Substring(
            text.ptr(), static_cast<Py_ssize_t>(split), static_cast<Py_ssize_t>(points.size())));
        if (!rest) {
            throw py::error_already_set();
        }
        std::string tail;
        stream_.feed(Utf8Of(rest).value(), tail);
        PyObject* both = PyUnicode_Concat(StrOf(head).ptr(), NewStr(tail, ShapeOf(tail)).ptr());
        if (both == nullptr) {
            throw py::error_already_set();
        }
        return py::reinterpret_steal<py::str>(both);
    }

    Utf8Stream stream_;
    std::atomic<bool> busy_{false};
};

} // namespace

PYBIND11_MODULE(orvani, m) {
    // The signatures are written out below: the arguments are taken as objects so that a
    // wrong type gets a message of its own.
    py::options options;
    options.disable_function_signatures();

    m.doc() = "Converts Orvani text between the Old, New and Orvani Script transcription "
              "standards.\n\n"
              "    >>> orvani.convert(\"Kheetsoy dhath\", \"old\", \"new\")\n"
              "    'xícó ðæþ'\n";
    m.attr("__version__") = std::string(orvani::kVersion);

    m.def(
        "convert", &Convert, py::arg("text"), py::arg("source"), py::arg("target"), py::kw_only(),
        py::arg("a") = true, py::arg("oh_uh") = false, py::arg("normalize") = true,
        R"(convert(text: str, source: str, target: str, *, a: bool = True, oh_uh: bool = False, normalize: bool = True) -> str

Return `text` converted from the standard `source` to the standard `target`.

source, target: "old", "new" or "script", or a display name such as "Orvani Script", in
    any case (see standards()); ValueError for any other name.
a: a single Old "a" is read as "æ" ("ah" is always "a").
oh_uh: Old "oh" and "uh" are read as "o" and "u", and written back so.
normalize: bring the text to Unicode Normalization Form C first, so that a decomposed
    accent converts like the precomposed letter.

TypeError when `text` is not a str: decode bytes first. Lone surrogates (as from
errors="surrogateescape") are kept as they are, like any character without a spelling.
The GIL is released while a long text converts, so threads convert at the same time.

    >>> convert("Kheetsoy dhath, ohm uhr", "old", "new", a=False)
    'xícó ðaþ, ohm uhr'
)");

    m.def(
        "standards",
        [] {
            std::vector<std::pair<std::string_view, std::string_view>> names;
            for (const orvani::Standard standard : orvani::kStandards) {
                names.emplace_back(orvani::ShortName(standard), orvani::DisplayName(standard));
            }
            return names;
        },
        R"(standards() -> list[tuple[str, str]]

The standards as (name, display name) pairs: [("old", "Old"), ("new", "New"),
("script", "Orvani Script")]. Either name is accepted wherever a standard is.
)");

    py::class_<StreamConverter>(
        m, "Converter",
        R"(Converter(source: str, target: str, *, a: bool = True, oh_uh: bool = False, normalize: bool = True)

A conversion of a text that comes in pieces, such as the lines of a file: the pieces fed
and then finish() give what convert() gives for their whole. With normalize on, the last
characters of a piece that the next one could still compose with (a letter before a
combining accent) are held back until it comes. After finish() the converter starts anew.

    >>> c = Converter("old", "new")
    >>> c.feed("Kheetsoy dh") + c.feed("ath") + c.finish()
    'xícó ðæþ'
)")
        .def(py::init<py::handle, py::handle, bool, bool, bool>(), py::arg("source"),
             py::arg("target"), py::kw_only(), py::arg("a") = true, py::arg("oh_uh") = false,
             py::arg("normalize") = true)
        .def("feed", &StreamConverter::feed, py::arg("text"),
             R"(feed(text: str) -> str

Convert the next piece of the text; return what is converted so far of it.
)")
        .def("finish", &StreamConverter::finish, R"(finish() -> str

Return the rest of the converted text: what the last piece left open.
)");
}
