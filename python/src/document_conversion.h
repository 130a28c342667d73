#pragma once

// Documents from Python, with the filter's formats, errors and guarantees: bytes in and bytes
// out, or a file converted into another whole or not at all.

#include <Python.h>
#include <cstddef>
#include <pybind11/pybind11.h>

namespace orvani::python {

// Adds orvani.DocumentError to `module`.
void AddDocumentError(pybind11::module_& module);

// Sets the Python error for the C++ exception being handled, if it is a DocumentError; returns
// whether it was.
bool SetDocumentError();

// convert_document(data, format, source, target, *, ...) -> bytes
pybind11::object ConvertDocumentCall(PyObject* const* args, std::size_t positional,
                                     PyObject* keywords);

// convert_file(src, dst, source, target, *, format="auto", ...) -> None
pybind11::object ConvertFileCall(PyObject* const* args, std::size_t positional, PyObject* keywords);

} // namespace orvani::python
