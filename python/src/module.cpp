// The Python module `orvani`: the transcription core for Python 3 programs.
//
// The functions are called the quick way (METH_FASTCALL) and take their arguments as Python's
// own do: a call costs little more than its conversion, and a wrong argument is named in
// Python's words.

#include "arguments.h"
#include "document_conversion.h"
#include "text_conversion.h"

#include <orvani/standard.h>
#include <orvani/version.h>

#include <Python.h>
#include <array>
#include <exception>
#include <new>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;
using namespace orvani::python;

namespace {

constexpr std::array<Parameter, 7> kConvertParameters{{
    {"text", true},
    {"source", true},
    {"target", true},
    {"a", false, true},
    {"oh_uh", false, true},
    {"normalize", false, true},
    {"keep_case", false, true},
}};

// The standards and options that follow the text (or texts) in `values`.
TextSettings SettingsOf(std::span<PyObject* const, 7> values) {
    const orvani::Standard source = StandardOf(values[1], "source");
    const orvani::Standard target = StandardOf(values[2], "target");
    return {.source = source,
            .target = target,
            .options = OptionsOf(values[3], values[4], values[6], source, target),
            .normalize = FlagOf(values[5], "normalize", true)};
}

py::object Convert(PyObject* const* args, std::size_t positional, PyObject* keywords) {
    std::array<PyObject*, kConvertParameters.size()> values{};
    TakeArguments("convert()", kConvertParameters, args, positional, keywords, values);
    RequireStr(values[0], "text");
    return ConvertStr(values[0], SettingsOf(values));
}

constexpr std::array<Parameter, 7> kConvertManyParameters{{
    {"texts", true},
    {"source", true},
    {"target", true},
    {"a", false, true},
    {"oh_uh", false, true},
    {"normalize", false, true},
    {"keep_case", false, true},
}};

py::object ConvertMany(PyObject* const* args, std::size_t positional, PyObject* keywords) {
    std::array<PyObject*, kConvertManyParameters.size()> values{};
    TakeArguments("convert_many()", kConvertManyParameters, args, positional, keywords, values);
    const TextSettings settings = SettingsOf(values);
    PyObject* texts = values[0];
    if (PyUnicode_Check(texts) || PyBytes_Check(texts)) {
        // A str is an iterable of strs, but never what is meant.
        ThrowWrongType("texts", "an iterable of str", texts);
    }
    PyObject* iterator = PyObject_GetIter(texts);
    if (iterator == nullptr) {
        PyErr_Clear();
        ThrowWrongType("texts", "an iterable of str", texts);
    }
    const auto items = py::reinterpret_steal<py::object>(iterator);
    py::list out;
    // A batch at a time, each item held while it converts (another thread may change a list
    // while the GIL is let go).
    constexpr std::size_t kBatch = 4096;
    std::vector<py::object> held;
    std::vector<PyObject*> batch;
    held.reserve(kBatch);
    batch.reserve(kBatch);
    for (std::size_t at = 0;; ++at) {
        auto text = py::reinterpret_steal<py::object>(PyIter_Next(items.ptr()));
        if (!text && PyErr_Occurred() != nullptr) {
            throw py::error_already_set();
        }
        const bool done = !text;
        if (!done && !PyUnicode_Check(text.ptr())) {
            ThrowWrongType("texts[" + std::to_string(at) + "]", "str", text.ptr());
        }
        if (!done) {
            batch.push_back(text.ptr());
            held.push_back(std::move(text));
        }
        if (batch.size() == kBatch || (done && !batch.empty())) {
            ConvertStrs(batch, settings, out.ptr());
            batch.clear();
            held.clear();
        }
        if (done) {
            return out;
        }
    }
}

// A C++ exception as the Python one it stands for.
void SetPythonError() {
    try {
        throw;
    } catch (py::error_already_set& error) {
        error.restore();
    } catch (const py::builtin_exception& error) {
        error.set_error();
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& error) {
        if (!SetDocumentError()) {
            PyErr_SetString(PyExc_RuntimeError, error.what());
        }
    }
}

template <py::object (*Function)(PyObject* const*, std::size_t, PyObject*)>
PyObject* Called(PyObject* /*module*/, PyObject* const* args, Py_ssize_t positional,
                 PyObject* keywords) {
    try {
        return Function(args, static_cast<std::size_t>(PyVectorcall_NARGS(positional)), keywords)
            .release()
            .ptr();
    } catch (...) {
        SetPythonError();
        return nullptr;
    }
}

template <py::object (*Function)(PyObject* const*, std::size_t, PyObject*)>
constexpr PyMethodDef FastFunction(const char* name, const char* doc) {
    return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&Called<Function>)),
            METH_FASTCALL | METH_KEYWORDS, doc};
}

constexpr const char* kConvertDoc =
    R"(convert(text: str, source: str, target: str, *, a: bool = True, oh_uh: bool = False, normalize: bool = True, keep_case: bool = False) -> str

Return `text` converted from the standard `source` to the standard `target`.

source, target: "old", "new" or "script", or a display name such as "Orvani Script", in
    any case (see standards()); ValueError for any other name.
a: a single Old "a" is read as "æ" ("ah" is always "a").
oh_uh: Old "oh" and "uh" are read as "o" and "u", and written back so.
normalize: bring the text to Unicode Normalization Form C first, so that a decomposed
    accent converts like the precomposed letter.
keep_case: between Old and New, a capital stays a capital ("Kheetsoy" gives "Xícó", "SHOO"
    gives "ŠÚ"); by default the result is in small letters. ValueError with Script, whose
    letters' case spells them.

TypeError when `text` is not a str: decode bytes first. Lone surrogates (as from
errors="surrogateescape") are kept as they are, like any character without a spelling.
The GIL is released while a long text converts, so threads convert at the same time.

    >>> convert("Kheetsoy dhath, ohm uhr", "old", "new", a=False)
    'xícó ðaþ, ohm uhr'
)";

constexpr const char* kConvertManyDoc =
    R"(convert_many(texts: Iterable[str], source: str, target: str, *, a: bool = True, oh_uh: bool = False, normalize: bool = True, keep_case: bool = False) -> list[str]

Return the list of the texts converted as convert() converts each: a column of a data
frame, the lines of a file, any iterable of str. Quicker than calling convert() for each,
as the standards and options are read once. TypeError names the first item that is not a
str, e.g. "texts[2] must be str, not float" (a missing value in a data frame).

    >>> convert_many(["Kheetsoy", "dhath"], "old", "new")
    ['xícó', 'ðæþ']
)";

constexpr const char* kConvertDocumentDoc =
    R"(convert_document(data: bytes, format: str, source: str, target: str, *, a: bool = True, oh_uh: bool = False, normalize: bool = True, by_font: bool = True, script_font: str = "Orvani Script", keep_case: bool = False) -> bytes

Return the document `data` (bytes, or any bytes-like object) converted with its formatting
kept, as orvaniconv-cli converts it: only the text a reader sees is converted, and every
other byte stays as it was.

format: "html", "docx", "odt" (packed or flat), "rtf" or "text" (UTF-8), in any case, or
    "auto" to tell it from the first bytes; ValueError for any other.
by_font: convert only the text that the source standard owns, told by its font: from
    Script the text in `script_font`, from Old or New the rest. False converts all text.
script_font: the display font that Script text is given, and taken from when read.
The other options are convert()'s.

DocumentError (a ValueError) when the document is corrupt, malformed, too large or unsafe;
its `part` names the part of the document. The GIL is released while it converts.

    >>> convert_document(b"<p>Kheetsoy dhath</p>", "html", "old", "new")
    b'<p>xÃ­cÃ³ Ã°Ã¦Ã¾</p>'
)";

constexpr const char* kConvertFileDoc =
    R"(convert_file(src: str | bytes | os.PathLike, dst: str | bytes | os.PathLike, source: str, target: str, *, format: str = "auto", a: bool = True, oh_uh: bool = False, normalize: bool = True, by_font: bool = True, script_font: str = "Orvani Script", keep_case: bool = False) -> None

Convert the document in the file `src` into the file `dst`, as convert_document() does.
The format is told from src's name and first bytes unless `format` names it. `dst` is
written whole or not at all: nothing is written when src cannot be read or converted, and
a file that dst replaces keeps its permissions. src and dst may be the same file.

DocumentError (naming the file and the part) for a document that cannot be converted,
OSError (FileNotFoundError, PermissionError ...) for a file that cannot be read or written.

    >>> convert_file("letter.docx", "letter-new.docx", "old", "new")  # doctest: +SKIP
)";

// Lives as long as the module: Python keeps pointers into it.
PyMethodDef kFunctions[] = {
    FastFunction<&Convert>("convert", kConvertDoc),
    FastFunction<&ConvertMany>("convert_many", kConvertManyDoc),
    FastFunction<&ConvertDocumentCall>("convert_document", kConvertDocumentDoc),
    FastFunction<&ConvertFileCall>("convert_file", kConvertFileDoc),
    {nullptr, nullptr, 0, nullptr},
};

} // namespace

PYBIND11_MODULE(orvani, m) {
    // The signatures are written out in the docstrings below.
    py::options options;
    options.disable_function_signatures();

    m.doc() = "Converts Orvani text between the Old, New and Orvani Script transcription "
              "standards.\n\n"
              "    >>> orvani.convert(\"Kheetsoy dhath\", \"old\", \"new\")\n"
              "    'xícó ðæþ'\n";
    m.attr("__version__") = std::string(orvani::kVersion);

    AddDocumentError(m);
    if (PyModule_AddFunctions(m.ptr(), kFunctions) != 0) {
        throw py::error_already_set();
    }

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

The standards as (name, display name) pairs. Either name is accepted wherever a standard is.

    >>> standards()
    [('old', 'Old'), ('new', 'New'), ('script', 'Orvani Script')]
)");

    py::class_<StreamConverter>(
        m, "Converter",
        R"(Converter(source: str, target: str, *, a: bool = True, oh_uh: bool = False, normalize: bool = True, keep_case: bool = False)

A conversion of a text that comes in pieces, such as the lines of a file: the pieces fed
and then finish() give what convert() gives for their whole. With normalize on, the last
characters of a piece that the next one could still compose with (a letter before a
combining accent) are held back until it comes. After finish() the converter starts anew.
One Converter serves one thread at a time.

    >>> c = Converter("old", "new")
    >>> c.feed("Kheetsoy dh") + c.feed("ath") + c.finish()
    'xícó ðæþ'
)")
        .def(py::init([](const py::args& args, const py::kwargs& kwargs) {
            // The parameters of convert() but the text.
            std::array<PyObject*, kConvertParameters.size()> values{};
            TakeArguments("Converter()", std::span(kConvertParameters).subspan(1), args.ptr(),
                          kwargs.ptr(), std::span(values).subspan(1));
            return std::make_unique<StreamConverter>(SettingsOf(values));
        }))
        .def(
            "feed",
            [](StreamConverter& converter, py::handle text) {
                RequireStr(text.ptr(), "text");
                return converter.feed(text.ptr());
            },
            py::arg("text"),
            R"(feed(text: str) -> str

Convert the next piece of the text; return what is converted so far of it.

    >>> Converter("old", "new").feed("Kheetsoy dh")
    'xícó '
)")
        .def("finish", &StreamConverter::finish, R"(finish() -> str

Return the rest of the converted text: what the last piece left open.

    >>> c = Converter("old", "new")
    >>> c.feed("dh") + c.finish()
    'ð'
)");
}
