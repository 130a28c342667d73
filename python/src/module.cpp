// The Python module `orvani`: the transcription core for Python 3 programs.
//
// Text goes in and out as UTF-8, the road the core is fastest on: a str hands over its UTF-8
// (for ASCII text, such as Old text, its own characters) without a copy, the core converts it
// without the GIL, and the result is decoded once into the new str.

#include <orvani/normalization.h>
#include <orvani/pipeline.h>
#include <orvani/standard.h>
#include <orvani/version.h>

#include <atomic>
#include <cstddef>
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

py::str StrOf(std::string_view utf8) {
    PyObject* str =
        PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "strict");
    if (str == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(str);
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

// Appends the conversion of the next piece of valid UTF-8 text to `out`.
void ConvertPiece(orvani::Converter& converter, std::string_view utf8, std::string& out) {
    // Blocks bound the room reserved ahead of what is written.
    constexpr std::size_t kBlock = 1 << 20;
    while (!utf8.empty()) {
        const std::string_view block = utf8.substr(0, kBlock);
        const std::size_t used = out.size();
        out.resize(used + converter.maxUtf8Output(block.size()));
        const orvani::Utf8Progress step =
            converter.convertUtf8(block, std::span(out).subspan(used));
        out.resize(used + step.written);
        if (step.read == 0) {
            break; // cannot happen with valid UTF-8 and room enough; never loop forever
        }
        utf8.remove_prefix(step.read);
    }
}

void FinishPiece(orvani::Converter& converter, std::string& out) {
    const std::size_t used = out.size();
    out.resize(used + converter.maxUtf8Output(0));
    out.resize(used + converter.finishUtf8(std::span(out).subspan(used)).written);
}

py::str Convert(py::handle text, py::handle source, py::handle target, bool a, bool ohUh,
                bool normalize) {
    RequireStr(text, "text");
    const orvani::Standard from = StandardOf(source, "source");
    const orvani::Standard to = StandardOf(target, "target");
    const orvani::ConversionOptions options{.a = a, .ohUh = ohUh};

    const std::optional<std::string_view> utf8 = Utf8Of(text);
    if (!utf8) {
        // Lone surrogates (from surrogateescape, say) take the road of code points, which
        // keeps them as they are.
        std::u32string points = CodePointsOf(text);
        if (normalize) {
            points = orvani::ToNfc(points);
        }
        return StrOf(orvani::ConvertText(points, from, to, orvani::DocumentType::Plain, options));
    }

    std::string result;
    {
        // The str is immutable and held by the caller: its UTF-8 can be read without the GIL.
        std::optional<py::gil_scoped_release> unlocked;
        if (utf8->size() >= kReleaseGilFrom) {
            unlocked.emplace();
        }
        if (normalize && orvani::NfcMayChange(*utf8)) {
            result = orvani::ConvertUtf8(orvani::ToNfc(*utf8), from, to, options).text;
        } else {
            result = orvani::ConvertUtf8(*utf8, from, to, options).text;
        }
    }
    return StrOf(result);
}

// A conversion fed in pieces. With normalisation on, the end of each piece that a following
// piece could still compose with is held back, so that pieces convert as their whole would.
class StreamConverter {
public:
    StreamConverter(py::handle source, py::handle target, bool a, bool ohUh, bool normalize)
        : converter_(StandardOf(source, "source"), StandardOf(target, "target"),
                     orvani::DocumentType::Plain, {.a = a, .ohUh = ohUh}),
          normalize_(normalize) {}

    py::str feed(py::handle text) {
        RequireStr(text, "text");
        const Busy busy(busy_);
        const std::optional<std::string_view> utf8 = Utf8Of(text);
        if (!utf8) {
            return feedCodePoints(text);
        }
        std::string out;
        {
            std::optional<py::gil_scoped_release> unlocked;
            if (utf8->size() >= kReleaseGilFrom) {
                unlocked.emplace();
            }
            feedUtf8(*utf8, out);
        }
        return StrOf(out);
    }

    py::str finish() {
        const Busy busy(busy_);
        std::string out;
        ConvertPiece(converter_, orvani::ToNfc(held_), out);
        held_.clear();
        FinishPiece(converter_, out);
        return StrOf(out);
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

    void feedUtf8(std::string_view utf8, std::string& out) {
        if (!normalize_) {
            ConvertPiece(converter_, utf8, out);
            return;
        }
        const std::size_t stable = orvani::NfcStablePrefix(utf8);
        if (stable == 0) {
            held_.append(utf8); // all of it may still compose with what comes
            return;
        }
        const std::string_view ready = utf8.substr(0, stable);
        if (orvani::NfcMayChange(held_) || orvani::NfcMayChange(ready)) {
            held_.append(ready);
            ConvertPiece(converter_, orvani::ToNfc(held_), out);
        } else {
            // The usual case: nothing to normalise, so no copy of the piece.
            ConvertPiece(converter_, held_, out);
            ConvertPiece(converter_, ready, out);
        }
        held_.assign(utf8.substr(stable));
    }

    // Text with lone surrogates. Nothing composes across a surrogate: all up to the last one
    // is normalised and converted now on the road of code points, which keeps surrogates as
    // they are, and the rest, which has UTF-8, goes on as usual.
    py::str feedCodePoints(py::handle text) {
        const std::u32string points = CodePointsOf(text);
        std::size_t split = points.size();
        while (split > 0 && !IsSurrogate(points[split - 1])) {
            --split;
        }
        std::u32string head = CodePointsOf(StrOf(held_)); // empty unless normalising
        held_.clear();
        head.append(std::u32string_view(points).substr(0, split));
        if (normalize_) {
            head = orvani::ToNfc(head);
        }
        std::u32string converted;
        converter_.feed(head, converted);

        const py::str rest = py::reinterpret_steal<py::str>(PyUnicode_Substring(
            text.ptr(), static_cast<Py_ssize_t>(split), static_cast<Py_ssize_t>(points.size())));
        if (!rest) {
            throw py::error_already_set();
        }
        std::string out;
        feedUtf8(Utf8Of(rest).value(), out);
        PyObject* both = PyUnicode_Concat(StrOf(converted).ptr(), StrOf(out).ptr());
        if (both == nullptr) {
            throw py::error_already_set();
        }
        return py::reinterpret_steal<py::str>(both);
    }

    orvani::Converter converter_;
    bool normalize_;
    std::string held_; // UTF-8 that the next piece may still compose with, not yet converted
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
