// Value trees and compile results into Python objects.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "common/value.h"
#include "engine/mod/compile_result.h"

namespace orvane::python {

// A new reference, or null with the Python error of the failing call set.
PyObject* to_python(const Value& value);

// The result as a dict with keys in ascending byte order (columns, default_limit_applied,
// params, sql); each column a dict of alias, kind and member. A new reference, or null with the
// Python error set.
PyObject* to_python(const CompileResult& result);

}  // namespace orvane::python
