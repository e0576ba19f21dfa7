// Value trees and compile results into Python objects.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>

#include "common/value.h"
#include "engine/mod/compile_result.h"

namespace orvane::python {

// A new reference, or null with the Python error of the failing call set.
PyObject* to_python(const Value& value);

// The strings every compile result repeats: its keys and the spellings of the column kinds,
// made once when the module is initialised and kept in its state. Each non-null member owns a
// reference.
struct ResultStrings {
  PyObject* columns;
  PyObject* default_limit_applied;
  PyObject* params;
  PyObject* sql;
  PyObject* alias;
  PyObject* kind;
  PyObject* member;
  std::array<PyObject*, 4> kinds;  // by ColumnKind
};

// Fills `strings` (all null before); false with the Python error set.
bool make_result_strings(ResultStrings& strings);
// Drops every reference `strings` holds and nulls it.
void clear_result_strings(ResultStrings& strings);
// Visits every reference `strings` holds, for the garbage collector.
int visit_result_strings(const ResultStrings& strings, visitproc visit, void* arg);

// The result as a dict with keys in ascending byte order (columns, default_limit_applied,
// params, sql); each column a dict of alias, kind and member. A new reference, or null with the
// Python error set.
PyObject* to_python(const CompileResult& result, const ResultStrings& strings);

}  // namespace orvane::python
