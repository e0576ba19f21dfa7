#include "python/to_python.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::python {
namespace {

PyObject* text_object(std::string_view text) {
  return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
}

// Owns one reference; released on every exit.
class Owned {
 public:
  explicit Owned(PyObject* object) : object_(object) {}
  ~Owned() { Py_XDECREF(object_); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  PyObject* get() const { return object_; }
  PyObject* release() {
    PyObject* object = object_;
    object_ = nullptr;
    return object;
  }

 private:
  PyObject* object_;
};

// Stores `value` (a new reference, or null after a failed call) under `key`; false with the
// Python error set when either failed.
bool set_item(PyObject* dict, PyObject* key, PyObject* value) {
  if (!value) return false;
  int failed = PyDict_SetItem(dict, key, value);
  Py_DECREF(value);
  return failed == 0;
}

bool set_item(PyObject* dict, std::string_view key, PyObject* value) {
  Owned key_object(value ? text_object(key) : nullptr);
  if (!key_object.get()) {
    Py_XDECREF(value);
    return false;
  }
  return set_item(dict, key_object.get(), value);
}

PyObject* text_list(const std::vector<std::string>& texts) {
  Owned list(PyList_New(static_cast<Py_ssize_t>(texts.size())));
  if (!list.get()) return nullptr;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    PyObject* item = text_object(texts[i]);
    if (!item) return nullptr;
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), item);
  }
  return list.release();
}

// The spellings of the column kinds, each made once per call when first needed.
class KindNames {
 public:
  KindNames() = default;
  KindNames(const KindNames&) = delete;
  KindNames& operator=(const KindNames&) = delete;
  ~KindNames() {
    for (PyObject* name : names_) Py_XDECREF(name);
  }

  // A new reference, or null with the Python error set.
  PyObject* get(ColumnKind kind) {
    PyObject*& name = names_.at(static_cast<std::size_t>(kind));
    if (!name) name = text_object(spelling(kind));
    Py_XINCREF(name);
    return name;
  }

 private:
  std::array<PyObject*, 4> names_{};
};

// The column dicts share their three key objects and the kind spellings, made once per call.
PyObject* column_list(const std::vector<OutputColumn>& columns) {
  Owned list(PyList_New(static_cast<Py_ssize_t>(columns.size())));
  if (!list.get()) return nullptr;
  Owned alias(text_object("alias")), kind(text_object("kind")), member(text_object("member"));
  if (!alias.get() || !kind.get() || !member.get()) return nullptr;
  KindNames kinds;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    Owned dict(PyDict_New());
    if (!dict.get() || !set_item(dict.get(), alias.get(), text_object(columns[i].alias)) ||
        !set_item(dict.get(), kind.get(), kinds.get(columns[i].kind)) ||
        !set_item(dict.get(), member.get(), text_object(columns[i].member)))
      return nullptr;
    PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), dict.release());
  }
  return list.release();
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

PyObject* to_python(const CompileResult& result) {
  Owned dict(PyDict_New());
  if (!dict.get() || !set_item(dict.get(), "columns", column_list(result.columns)) ||
      !set_item(dict.get(), "default_limit_applied",
                PyBool_FromLong(result.default_limit_applied)) ||
      !set_item(dict.get(), "params", text_list(result.params)) ||
      !set_item(dict.get(), "sql", text_object(result.sql)))
    return nullptr;
  return dict.release();
}

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
