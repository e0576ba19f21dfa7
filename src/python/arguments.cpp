#include "python/arguments.h"

#include <string>

namespace orvane::python {
namespace {

// Conversion errors carry a note naming the parameter, as Python's own argument parsers do.
void note_parameter(const char* parameter) {
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  if (value) {
    std::string note = std::string("while processing '") + parameter + "'";
    PyObject* result = PyObject_CallMethod(value, "add_note", "s", note.c_str());
    if (result)
      Py_DECREF(result);
    else
      PyErr_Clear();
  }
  PyErr_Restore(type, value, traceback);
}

std::string quoted_list(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i) out += names.size() == 2 ? " and " : (i + 1 == names.size() ? ", and " : ", ");
    out += "'" + names[i] + "'";
  }
  return out;
}

}  // namespace

bool bind_arguments(const Signature& sig, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, PyObject** slots) {
  for (int i = 0; i < sig.count; ++i) slots[i] = nullptr;
  if (nargs > sig.count) {
    if (sig.required == sig.count)
      PyErr_Format(PyExc_TypeError, "%s() takes %d positional argument%s but %zd %s given",
                   sig.function, sig.count, sig.count == 1 ? "" : "s", nargs,
                   nargs == 1 ? "was" : "were");
    else
      PyErr_Format(PyExc_TypeError,
                   "%s() takes from %d to %d positional arguments but %zd %s given", sig.function,
                   sig.required, sig.count, nargs, nargs == 1 ? "was" : "were");
    return false;
  }
  for (Py_ssize_t i = 0; i < nargs; ++i) slots[i] = args[i];
  Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
  for (Py_ssize_t k = 0; k < nkw; ++k) {
    PyObject* key = PyTuple_GET_ITEM(kwnames, k);
    int index = -1;
    for (int i = 0; i < sig.count; ++i) {
      int equal = PyUnicode_CompareWithASCIIString(key, sig.names[i]);
      if (equal == 0) {
        index = i;
        break;
      }
    }
    if (index < 0) {
      PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", sig.function,
                   key);
      return false;
    }
    if (slots[index]) {
      PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", sig.function,
                   sig.names[index]);
      return false;
    }
    slots[index] = args[nargs + k];
  }
  std::vector<std::string> missing;
  for (int i = 0; i < sig.required; ++i)
    if (!slots[i]) missing.emplace_back(sig.names[i]);
  if (!missing.empty()) {
    PyErr_Format(PyExc_TypeError, "%s() missing %zu required positional argument%s: %s",
                 sig.function, missing.size(), missing.size() == 1 ? "" : "s",
                 quoted_list(missing).c_str());
    return false;
  }
  return true;
}

bool extract_text(PyObject* object, const char* parameter, std::string_view& text) {
  if (!PyUnicode_Check(object)) {
    PyErr_Format(PyExc_TypeError, "'%s' object cannot be converted to 'str'",
                 Py_TYPE(object)->tp_name);
    note_parameter(parameter);
    return false;
  }
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(object, &size);
  if (!data) {
    note_parameter(parameter);
    return false;
  }
  text = std::string_view(data, static_cast<std::size_t>(size));
  return true;
}

bool extract_documents(PyObject* object, const char* parameter, bool optional,
                       std::vector<std::string_view>& texts, PyObject*& keep_alive) {
  keep_alive = nullptr;
  texts.clear();
  if (!object || (optional && object == Py_None)) return true;
  if (PyUnicode_Check(object)) {
    PyErr_SetString(PyExc_TypeError,
                    "a 'str' cannot be extracted as a list of documents: pass a list of str");
    note_parameter(parameter);
    return false;
  }
  if (!PySequence_Check(object)) {
    PyErr_Format(PyExc_TypeError, "'%s' object cannot be converted to a list of documents",
                 Py_TYPE(object)->tp_name);
    note_parameter(parameter);
    return false;
  }
  PyObject* items = PySequence_Fast(object, "expected a sequence of str");
  if (!items) {
    note_parameter(parameter);
    return false;
  }
  Py_ssize_t count = PySequence_Fast_GET_SIZE(items);
  PyObject** elements = PySequence_Fast_ITEMS(items);
  texts.reserve(static_cast<std::size_t>(count));
  for (Py_ssize_t i = 0; i < count; ++i) {
    std::string_view text;
    if (!extract_text(elements[i], parameter, text)) {
      Py_DECREF(items);
      texts.clear();
      return false;
    }
    texts.push_back(text);
  }
  keep_alive = items;
  return true;
}

}  // namespace orvane::python
