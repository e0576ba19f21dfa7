#include "python/to_python.h"

#include <cstdint>
#include <limits>

namespace orvane::python {
namespace {

PyObject* text_object(const std::string& text) {
  return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
}

PyObject* list_object(const ValueArray& array) {
  PyObject* list = PyList_New(static_cast<Py_ssize_t>(array.size()));
  if (!list) return nullptr;
  for (std::size_t i = 0; i < array.size(); ++i) {
    PyObject* item = to_python(array[i]);
    if (!item) {
      Py_DECREF(list);
      return nullptr;
    }
    PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), item);
  }
  return list;
}

PyObject* dict_object(const ValueObject& object) {
  PyObject* dict = PyDict_New();
  if (!dict) return nullptr;
  for (const auto& [key, value] : object) {
    PyObject* item = to_python(value);
    if (!item) {
      Py_DECREF(dict);
      return nullptr;
    }
    PyObject* key_object = text_object(key);
    int failed = !key_object || PyDict_SetItem(dict, key_object, item) < 0;
    Py_XDECREF(key_object);
    Py_DECREF(item);
    if (failed) {
      Py_DECREF(dict);
      return nullptr;
    }
  }
  return dict;
}

}  // namespace

PyObject* to_python(const Value& value) {
  struct Converter {
    PyObject* operator()(std::monostate) { Py_RETURN_NONE; }
    PyObject* operator()(bool b) { return PyBool_FromLong(b); }
    PyObject* operator()(std::int64_t i) { return PyLong_FromLongLong(i); }
    PyObject* operator()(std::uint64_t u) {
      if (u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return PyFloat_FromDouble(static_cast<double>(u));
      return PyLong_FromLongLong(static_cast<long long>(u));
    }
    PyObject* operator()(double d) { return PyFloat_FromDouble(d); }
    PyObject* operator()(const std::string& s) { return text_object(s); }
    PyObject* operator()(const ValueArray& a) { return list_object(a); }
    PyObject* operator()(const ValueObject& o) { return dict_object(o); }
  };
  return std::visit(Converter{}, value.data);
}

}  // namespace orvane::python
