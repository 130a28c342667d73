#include "arguments.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace orvani::python {
namespace {

namespace py = pybind11;

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The place of the parameter that the str `keyword` names, if any.
std::optional<std::size_t> PlaceOf(std::span<const Parameter> parameters, PyObject* keyword) {
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (PyUnicode_CompareWithASCIIString(keyword, parameters[i].name) == 0) {
            return i;
        }
    }
    return std::nullopt;
}

void CheckMissing(const char* function, std::span<const Parameter> parameters,
                  std::span<PyObject*> values) {
    std::vector<std::string> missing;
    bool keywordOnly = false;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (parameters[i].required && values[i] == nullptr) {
            missing.push_back(std::string("'") + parameters[i].name + "'");
            keywordOnly = parameters[i].keywordOnly;
        }
    }
    if (missing.empty()) {
        return;
    }
    std::string names = missing.back();
    if (missing.size() > 1) {
        names = missing[missing.size() - 2] + " and " + names;
        for (std::size_t i = missing.size() - 2; i-- > 0;) {
            names = missing[i] + ", " + names;
        }
    }
    throw py::type_error(std::string(function) + " missing " +
                         Plural(missing.size(), "required", "required") +
                         (keywordOnly ? " keyword-only" : " positional") +
                         (missing.size() == 1 ? " argument: " : " arguments: ") + names);
}

std::size_t PositionalCount(std::span<const Parameter> parameters) {
    std::size_t count = 0;
    while (count < parameters.size() && !parameters[count].keywordOnly) {
        ++count;
    }
    return count;
}

void TakeKeyword(const char* function, std::span<const Parameter> parameters, PyObject* keyword,
                 PyObject* value, std::span<PyObject*> values) {
    const std::optional<std::size_t> place = PlaceOf(parameters, keyword);
    if (!place) {
        throw py::type_error(py::str("{} got an unexpected keyword argument {!r}")
                                 .format(function, py::handle(keyword))
                                 .cast<std::string>());
    }
    if (values[*place] != nullptr) {
        throw py::type_error(std::string(function) + " got multiple values for argument '" +
                             parameters[*place].name + "'");
    }
    values[*place] = value;
}

void TakePositional(const char* function, std::span<const Parameter> parameters,
                    PyObject* const* args, std::size_t positional, std::span<PyObject*> values) {
    const std::size_t most = PositionalCount(parameters);
    if (positional > most) {
        throw py::type_error(std::string(function) + " takes " +
                             Plural(most, "positional argument", "positional arguments") + " but " +
                             std::to_string(positional) +
                             (positional == 1 ? " was given" : " were given"));
    }
    for (std::size_t i = 0; i < positional; ++i) {
        values[i] = args[i];
    }
}

} // namespace

void TakeArguments(const char* function, std::span<const Parameter> parameters,
                   PyObject* const* args, std::size_t positional, PyObject* keywordNames,
                   std::span<PyObject*> values) {
    std::fill(values.begin(), values.end(), nullptr);
    TakePositional(function, parameters, args, positional, values);
    if (keywordNames != nullptr) {
        const auto keywords = static_cast<std::size_t>(PyTuple_GET_SIZE(keywordNames));
        for (std::size_t i = 0; i < keywords; ++i) {
            TakeKeyword(function, parameters,
                        PyTuple_GET_ITEM(keywordNames, static_cast<Py_ssize_t>(i)),
                        args[positional + i], values);
        }
    }
    CheckMissing(function, parameters, values);
}

void TakeArguments(const char* function, std::span<const Parameter> parameters, PyObject* args,
                   PyObject* kwargs, std::span<PyObject*> values) {
    std::fill(values.begin(), values.end(), nullptr);
    TakePositional(function, parameters, PySequence_Fast_ITEMS(args),
                   static_cast<std::size_t>(PyTuple_GET_SIZE(args)), values);
    if (kwargs != nullptr) {
        Py_ssize_t at = 0;
        PyObject* keyword = nullptr;
        PyObject* value = nullptr;
        while (PyDict_Next(kwargs, &at, &keyword, &value)) {
            TakeKeyword(function, parameters, keyword, value, values);
        }
    }
    CheckMissing(function, parameters, values);
}

void ThrowWrongType(const std::string& what, const char* expected, PyObject* value) {
    const std::string type = Py_TYPE(value)->tp_name;
    const bool bytes = PyBytes_Check(value) || PyByteArray_Check(value);
    const char* hint = bytes && std::strcmp(expected, "str") == 0
                           ? " (decode it first, e.g. data.decode(\"utf-8\"))"
                           : "";
    throw py::type_error(what + " must be " + expected + ", not " + type + hint);
}

void RequireStr(PyObject* value, const std::string& what) {
    if (!PyUnicode_Check(value)) {
        ThrowWrongType(what, "str", value);
    }
}

Standard StandardOf(PyObject* name, const char* what) {
    RequireStr(name, what);
    Py_ssize_t size = 0;
    if (const char* utf8 = PyUnicode_AsUTF8AndSize(name, &size)) {
        if (const auto standard =
                ParseStandard(std::string_view(utf8, static_cast<std::size_t>(size)))) {
            return *standard;
        }
    } else {
        PyErr_Clear(); // lone surrogates: no standard's name
    }
    throw py::value_error(py::str("unknown standard {!r} for {}; choose old, new or script")
                              .format(py::handle(name), what)
                              .cast<std::string>());
}

bool FlagOf(PyObject* value, const char* what, bool fallback) {
    if (value == nullptr) {
        return fallback;
    }
    if (!PyBool_Check(value) && !PyLong_Check(value)) {
        ThrowWrongType(what, "bool", value);
    }
    return PyObject_IsTrue(value) == 1;
}

ConversionOptions OptionsOf(PyObject* a, PyObject* ohUh, PyObject* keepCase, Standard source,
                            Standard target) {
    ConversionOptions options{.a = FlagOf(a, "a", true),
                              .ohUh = FlagOf(ohUh, "oh_uh", false),
                              .keepCase = FlagOf(keepCase, "keep_case", false)};
    if (options.keepCase && (source == Standard::Script || target == Standard::Script)) {
        throw py::value_error("keep_case is for Old and New only: in Orvani Script the case of "
                              "a letter spells a different letter");
    }
    return options;
}

} // namespace orvani::python
