// Argument handling in the wording Python uses for its own functions.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string_view>
#include <vector>

namespace orvane::python {

// A function's parameters: all may be passed by position or keyword; the first `required` must be.
struct Signature {
  const char* function;
  const char* const* names;
  int count;
  int required;
};

// Fills `slots` (count entries, null where omitted) from a fast call. Borrowed references.
// Returns false with TypeError set.
bool bind_arguments(const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, PyObject** slots);

// The text of a str argument. Returns false with the error set and noted.
bool extract_text(PyObject* object, const char* parameter, std::string_view& text);

// Texts of a document list: a sequence of str (never a str itself); None or absent gives an empty
// list when `optional`. `keep_alive` receives the object owning the texts' storage.
bool extract_documents(PyObject* object, const char* parameter, bool optional,
                       std::vector<std::string_view>& texts, PyObject*& keep_alive);

}  // namespace orvane::python
