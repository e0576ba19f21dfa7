// Value trees into Python objects.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "common/value.h"

namespace orvane::python {

// A new reference, or null with the Python error of the failing call set.
PyObject* to_python(const Value& value);

}  // namespace orvane::python
