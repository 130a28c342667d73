#pragma once

// Arguments taken as Python takes them, for functions called with METH_FASTCALL: by position or
// by keyword, and errors in Python's own words ("convert() missing 1 required positional
// argument: 'target'", "text must be str, not int").

#include <orvani/standard.h>

#include <Python.h>
#include <array>
#include <cstddef>
#include <pybind11/pybind11.h>
#include <span>
#include <string>

namespace orvani::python {

struct Parameter {
    const char* name;
    bool required = false;    // else it may be left out
    bool keywordOnly = false; // else it may be given by position, too
};

// The arguments of `function` (named as in messages, "convert()"), one a parameter, in their
// order; nullptr where one is left out. Throws pybind11::type_error as Python's own functions
// word it.
void TakeArguments(const char* function, std::span<const Parameter> parameters,
                   PyObject* const* args, std::size_t positional, PyObject* keywordNames,
                   std::span<PyObject*> values);

// As above, for a call given as a tuple and a dict (which may be null).
void TakeArguments(const char* function, std::span<const Parameter> parameters, PyObject* args,
                   PyObject* kwargs, std::span<PyObject*> values);

// "must be str, not int" and its kind: `what` names the argument.
[[noreturn]] void ThrowWrongType(const std::string& what, const char* expected, PyObject* value);

// Throws unless `value` is a str.
void RequireStr(PyObject* value, const std::string& what);

// The standard that `name` names, short or display name in any case; ValueError for any other.
[[nodiscard]] Standard StandardOf(PyObject* name, const char* what);

// A bool, or an int as its truth; `fallback` when left out. TypeError for anything else, so that
// a="no" does not count as on.
[[nodiscard]] bool FlagOf(PyObject* value, const char* what, bool fallback);

// The options a, oh_uh and keep_case, each left out as null; ValueError for keep_case with
// Script on either side, whose letters' case spells them.
[[nodiscard]] ConversionOptions OptionsOf(PyObject* a, PyObject* ohUh, PyObject* keepCase,
                                          Standard source, Standard target);

} // namespace orvani::python
