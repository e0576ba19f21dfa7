#include "python/to_python.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane::python {
namespace {

bool is_ascii(std::string_view text) {
  unsigned char seen = 0;
  for (const char c : text) seen |= static_cast<unsigned char>(c);
  return seen < 0x80;
}

// ASCII text, which is nearly all a result holds, is copied straight into a compact string;
// anything else goes through the decoder, which replaces malformed bytes.
PyObject* text_object(std::string_view text) {
  if (!is_ascii(text))
    return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
  PyObject* object = PyUnicode_New(static_cast<Py_ssize_t>(text.size()), 127);
  if (object) std::memcpy(PyUnicode_DATA(object), text.data(), text.size());
  return object;
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

// Each column is a dict of three entries under the shared key strings.
PyObject* column_list(const std::vector<OutputColumn>& columns, const ResultStrings& strings) {
  Owned list(PyList_New(static_cast<Py_ssize_t>(columns.size())));
  if (!list.get()) return nullptr;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    PyObject* kind = strings.kinds[static_cast<std::size_t>(columns[i].kind)];
    Py_INCREF(kind);
    Owned dict(PyDict_New());
    if (!dict.get() || !set_item(dict.get(), strings.alias, text_object(columns[i].alias)) ||
        !set_item(dict.get(), strings.kind, kind) ||
        !set_item(dict.get(), strings.member, text_object(columns[i].member)))
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

namespace {

// The result's keys, by the member of ResultStrings that holds each.
constexpr std::pair<PyObject * ResultStrings::*, const char*> kResultKeys[] = {
    {&ResultStrings::columns, "columns"},
    {&ResultStrings::default_limit_applied, "default_limit_applied"},
    {&ResultStrings::params, "params"},
    {&ResultStrings::sql, "sql"},
    {&ResultStrings::alias, "alias"},
    {&ResultStrings::kind, "kind"},
    {&ResultStrings::member, "member"}};

}  // namespace

bool make_result_strings(ResultStrings& strings) {
  for (const auto& [key, text] : kResultKeys)
    if (!(strings.*key = PyUnicode_InternFromString(text))) return false;
  for (std::size_t kind = 0; kind < strings.kinds.size(); ++kind)
    if (!(strings.kinds[kind] = text_object(spelling(static_cast<ColumnKind>(kind))))) return false;
  return true;
}

void clear_result_strings(ResultStrings& strings) {
  for (const auto& [key, text] : kResultKeys) Py_CLEAR(strings.*key);
  for (PyObject*& kind : strings.kinds) Py_CLEAR(kind);
}

int visit_result_strings(const ResultStrings& strings, visitproc visit, void* arg) {
  for (const auto& [key, text] : kResultKeys) Py_VISIT(strings.*key);
  for (PyObject* kind : strings.kinds) Py_VISIT(kind);
  return 0;
}

PyObject* to_python(const CompileResult& result, const ResultStrings& strings) {
  Owned dict(PyDict_New());
  if (!dict.get() || !set_item(dict.get(), strings.columns, column_list(result.columns, strings)) ||
      !set_item(dict.get(), strings.default_limit_applied,
                PyBool_FromLong(result.default_limit_applied)) ||
      !set_item(dict.get(), strings.params, text_list(result.params)) ||
      !set_item(dict.get(), strings.sql, text_object(result.sql)))
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
