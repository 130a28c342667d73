#include "document_conversion.h"

#include "arguments.h"
#include "text_conversion.h"

#include <orvani/document_format.h>
#include <orvani/standard.h>
#ifdef ORVANI_WITH_DOCUMENTS
#include <orvani/documents.h>
#endif

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace orvani::python {
namespace {

namespace py = pybind11;

// As the filter: documents are read whole (an archive is read from its end), and none larger.
constexpr std::size_t kLargestDocument = std::size_t{1} << 30;

PyObject*& DocumentErrorType() {
    static PyObject* type = nullptr;
    return type;
}

py::str Decoded(const std::string& utf8) {
    PyObject* str =
        PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace");
    if (str == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(str);
}

// A DocumentError of the Python kind; `message` follows the file's name, where there is one.
[[noreturn]] void ThrowDocumentError(const std::string& part, const std::string& message,
                                     const py::object& file = py::none()) {
    py::str text = Decoded(message);
    if (!file.is_none()) {
        text = py::str("{}: {}").format(file, text);
    }
    const py::object error = py::reinterpret_borrow<py::object>(DocumentErrorType())(text);
    error.attr("part") = Decoded(part);
    PyErr_SetObject(DocumentErrorType(), error.ptr());
    throw py::error_already_set();
}

// The settings after the document and its format: source, target and the options.
struct DocumentCall {
    std::optional<DocumentFormat> format; // nothing: told from the name and the first bytes
    TextSettings text;
    bool byFont = true;
    std::string scriptFont = "Orvani Script";
};

std::optional<DocumentFormat> FormatOf(PyObject* name) {
    if (name == nullptr) {
        return std::nullopt;
    }
    RequireStr(name, "format");
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(name, &size);
    if (utf8 == nullptr) {
        PyErr_Clear();
    } else if (const std::string_view given(utf8, static_cast<std::size_t>(size));
               given == "auto") {
        return std::nullopt;
    } else if (const auto format = DocumentFormatFromName(given)) {
        return format;
    }
    throw py::value_error(
        py::str("unknown document format {!r}; choose \"auto\" or a format such as \"html\", "
                "\"docx\", \"odt\", \"rtf\" or \"text\"")
            .format(py::handle(name))
            .cast<std::string>());
}

// values: format, source, target, a, oh_uh, normalize, by_font, script_font, keep_case.
DocumentCall CallOf(std::span<PyObject* const, 9> values) {
    DocumentCall call;
    call.format = FormatOf(values[0]);
    const Standard source = StandardOf(values[1], "source");
    const Standard target = StandardOf(values[2], "target");
    call.text = {.source = source,
                 .target = target,
                 .options = OptionsOf(values[3], values[4], values[8], source, target),
                 .normalize = FlagOf(values[5], "normalize", true)};
    call.byFont = FlagOf(values[6], "by_font", true);
    if (values[7] != nullptr) {
        RequireStr(values[7], "script_font");
        Py_ssize_t size = 0;
        const char* utf8 = PyUnicode_AsUTF8AndSize(values[7], &size);
        if (utf8 == nullptr) {
            throw py::error_already_set();
        }
        call.scriptFont.assign(utf8, static_cast<std::size_t>(size));
    }
    return call;
}

// `document` converted; throws orvani::DocumentError. Called without the GIL.
std::string Converted(std::string_view document, DocumentFormat format, const DocumentCall& call) {
#ifdef ORVANI_WITH_DOCUMENTS
    DocumentSettings settings;
    settings.from = call.text.source;
    settings.to = call.text.target;
    settings.options = call.text.options;
    settings.normalize = call.text.normalize;
    settings.scriptFont = call.scriptFont;
    settings.byFont = call.byFont;
    return ConvertDocument(document, format, settings);
#else
    (void)document;
    (void)format;
    (void)call;
    throw std::runtime_error("this orvani module was built without the documents layer "
                             "(expat, libzip): it converts str only");
#endif
}

// A buffer that a bytes-like object lends, given back when done.
class LentBytes {
public:
    explicit LentBytes(PyObject* data) {
        if (PyUnicode_Check(data) || PyObject_GetBuffer(data, &view_, PyBUF_SIMPLE) != 0) {
            PyErr_Clear();
            const bool text = PyUnicode_Check(data);
            try {
                ThrowWrongType("data", "bytes", data);
            } catch (const py::type_error& error) {
                if (!text) {
                    throw;
                }
                throw py::type_error(std::string(error.what()) +
                                     " (a document is bytes, as read from a file opened with "
                                     "\"rb\"; convert() takes str)");
            }
        }
    }
    ~LentBytes() { PyBuffer_Release(&view_); }
    LentBytes(const LentBytes&) = delete;
    LentBytes& operator=(const LentBytes&) = delete;

    [[nodiscard]] std::string_view bytes() const noexcept {
        return {static_cast<const char*>(view_.buf), static_cast<std::size_t>(view_.len)};
    }

private:
    Py_buffer view_{};
};

constexpr std::array<Parameter, 10> kConvertDocumentParameters{{
    {"data", true},
    {"format", true},
    {"source", true},
    {"target", true},
    {"a", false, true},
    {"oh_uh", false, true},
    {"normalize", false, true},
    {"by_font", false, true},
    {"script_font", false, true},
    {"keep_case", false, true},
}};

// A path as Python gives it (str, bytes or os.PathLike), and as the system takes it.
struct Path {
    py::object given;
    std::string bytes;
};

Path PathOf(PyObject* value, const char* what) {
    PyObject* path = PyOS_FSPath(value);
    if (path == nullptr) {
        PyErr_Clear();
        ThrowWrongType(what, "str, bytes or os.PathLike", value);
    }
    // Errors name the path as it was given, as Python's own do.
    Path out{py::reinterpret_borrow<py::object>(value), {}};
    const auto held = py::reinterpret_steal<py::object>(path);
    PyObject* encoded = nullptr;
    if (!PyUnicode_FSConverter(path, &encoded)) {
        throw py::error_already_set();
    }
    const auto bytes = py::reinterpret_steal<py::object>(encoded);
    out.bytes.assign(PyBytes_AS_STRING(bytes.ptr()),
                     static_cast<std::size_t>(PyBytes_GET_SIZE(bytes.ptr())));
    return out;
}

// What failed in a file, to be raised as OSError once the GIL is held again.
struct FileFailure {
    int error = 0;
    const Path* path = nullptr;
};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int get() const noexcept { return fd_; }
    int release() noexcept { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// The whole file at `path`, or the failure; nothing where it is larger than kLargestDocument.
std::optional<std::string> ReadWhole(const Path& path, FileFailure& failure, bool& tooLarge) {
    const FileDescriptor file(::open(path.bytes.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        failure = {errno, &path};
        return std::nullopt;
    }
    std::string bytes;
    std::size_t used = 0;
    for (;;) {
        bytes.resize(used + (std::size_t{1} << 20));
        const ssize_t got = ::read(file.get(), bytes.data() + used, bytes.size() - used);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            failure = {errno, &path};
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
        if (used > kLargestDocument) {
            tooLarge = true;
            return std::nullopt;
        }
    }
    bytes.resize(used);
    return bytes;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Writes `bytes` to `path` whole or not at all: into a new file beside it, put in its place
// when complete. A file replaced keeps its permissions; a new one has those that the umask
// leaves.
bool WriteWhole(const Path& path, std::string_view bytes, FileFailure& failure) {
    const std::string folder = FolderOf(path.bytes);
    const std::string base = path.bytes.substr(folder.size()).substr(0, 200);
    std::random_device random;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "." + base + "." + std::to_string(random() % 1000000000U) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        failure = {errno, &path};
        return false;
    }
    FileDescriptor file(fd);
    const auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        failure = {error, &path};
        return false;
    };
    struct stat replaced {};
    if (::stat(path.bytes.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode) &&
        ::fchmod(file.get(), replaced.st_mode & 0777) != 0) {
        return fail(errno);
    }
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t wrote = ::write(file.get(), bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote < 0) {
            return fail(errno);
        }
        done += static_cast<std::size_t>(wrote);
    }
    if (::fsync(file.get()) != 0) {
        return fail(errno);
    }
    if (::close(file.release()) != 0) {
        return fail(errno);
    }
    if (::rename(temporary.c_str(), path.bytes.c_str()) != 0) {
        return fail(errno);
    }
    return true;
}

constexpr std::array<Parameter, 11> kConvertFileParameters{{
    {"src", true},
    {"dst", true},
    {"source", true},
    {"target", true},
    {"format", false, true},
    {"a", false, true},
    {"oh_uh", false, true},
    {"normalize", false, true},
    {"by_font", false, true},
    {"script_font", false, true},
    {"keep_case", false, true},
}};

} // namespace

void AddDocumentError(py::module_& module) {
    PyObject* type = PyErr_NewExceptionWithDoc(
        "orvani.DocumentError",
        "A document that cannot be converted: corrupt, malformed, too large or unsafe.\n\n"
        "`part` names the part of the document that is wrong (such as \"word/document.xml\"),\n"
        "or is \"\" for the whole; str() of the error says the part and why.\n\n"
        "    >>> try:\n"
        "    ...     orvani.convert_document(b\"PK\\x03\\x04\", \"docx\", \"old\", \"new\")\n"
        "    ... except orvani.DocumentError as error:\n"
        "    ...     print(error.part == \"\")\n"
        "    True\n",
        PyExc_ValueError, nullptr);
    if (type == nullptr) {
        throw py::error_already_set();
    }
    DocumentErrorType() = type;
    module.add_object("DocumentError", py::reinterpret_steal<py::object>(type));
}

bool SetDocumentError() {
#ifdef ORVANI_WITH_DOCUMENTS
    try {
        throw;
    } catch (const DocumentError& error) {
        try {
            ThrowDocumentError(error.part(), error.what());
        } catch (py::error_already_set& raised) {
            raised.restore();
        }
        return true;
    } catch (...) {
        return false;
    }
#else
    return false;
#endif
}

py::object ConvertDocumentCall(PyObject* const* args, std::size_t positional, PyObject* keywords) {
    std::array<PyObject*, kConvertDocumentParameters.size()> values{};
    TakeArguments("convert_document()", kConvertDocumentParameters, args, positional, keywords,
                  values);
    // The format is required here, but may still be "auto".
    const DocumentCall call = CallOf(std::span(values).subspan<1, 9>());
    const LentBytes data(values[0]);
    std::string out;
    {
        const py::gil_scoped_release unlocked;
        const DocumentFormat format =
            call.format.value_or(DetectDocumentFormat("", data.bytes().substr(0, 4096)));
        out = Converted(data.bytes(), format, call);
    }
    return py::bytes(out);
}

py::object ConvertFileCall(PyObject* const* args, std::size_t positional, PyObject* keywords) {
    std::array<PyObject*, kConvertFileParameters.size()> values{};
    TakeArguments("convert_file()", kConvertFileParameters, args, positional, keywords, values);
    const Path src = PathOf(values[0], "src");
    const Path dst = PathOf(values[1], "dst");
    const std::array<PyObject*, 9> settings{values[4], values[2], values[3], values[5], values[6],
                                            values[7], values[8], values[9], values[10]};
    const DocumentCall call = CallOf(settings);
    FileFailure failure;
    bool tooLarge = false;
    bool written = false;
    std::optional<std::pair<std::string, std::string>> wrong; // a DocumentError's part and what
    {
        const py::gil_scoped_release unlocked;
        if (const std::optional<std::string> document = ReadWhole(src, failure, tooLarge)) {
            const DocumentFormat format = call.format.value_or(
                DetectDocumentFormat(src.bytes, std::string_view(*document).substr(0, 4096)));
            std::string converted;
#ifdef ORVANI_WITH_DOCUMENTS
            try {
                converted = Converted(*document, format, call);
            } catch (const DocumentError& error) {
                wrong.emplace(error.part(), error.what());
            }
#else
            converted = Converted(*document, format, call);
#endif
            // Converted whole before anything is written.
            written = !wrong && WriteWhole(dst, converted, failure);
        }
    }
    // As the filter says it: the file's name first.
    const auto shown = py::reinterpret_steal<py::object>(PyUnicode_DecodeFSDefaultAndSize(
        src.bytes.data(), static_cast<Py_ssize_t>(src.bytes.size())));
    if (!shown) {
        throw py::error_already_set();
    }
    if (tooLarge) {
        ThrowDocumentError("",
                           "a document larger than " + std::to_string(kLargestDocument >> 20) +
                               " MiB is not read",
                           shown);
    }
    if (wrong) {
        ThrowDocumentError(wrong->first, wrong->second, shown);
    }
    if (!written) {
        errno = failure.error;
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, failure.path->given.ptr());
        throw py::error_already_set();
    }
    return py::none();
}

} // namespace orvani::python
