// A C extension for the benchmark, with the calling convention of orvane's entry points
// (METH_FASTCALL | METH_KEYWORDS):
//   noop(*args, **kwargs) does nothing and returns None: timing it gives Python's overhead of
//     calling such a function with the same arguments as orvane.compile.
//   floor(texts) parses each text with libyaml into events and returns the number of events:
//     the floor program's unit of work, run in the same process as orvane, so that the two can
//     be timed in alternation under the same conditions (heap, caches, machine load).
//   call(fn, *args) calls fn(*args) and returns its result: under callgrind,
//     --toggle-collect and --dump-after on this function count exactly the calls made through it,
//     while warm-up calls made directly are left out.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <exception>
#include <string_view>

#include "yaml_events.h"

// C linkage gives the function a plain symbol name that callgrind options can name exactly.
extern "C" [[gnu::noinline]] PyObject* bench_probe_call(PyObject*, PyObject* const* args,
                                                        Py_ssize_t nargs, PyObject* kwnames) {
  if (nargs < 1 || kwnames) {
    PyErr_SetString(PyExc_TypeError, "call(fn, *args) takes a callable and positional arguments");
    return nullptr;
  }
  return PyObject_Vectorcall(args[0], args + 1, static_cast<std::size_t>(nargs - 1), nullptr);
}

namespace {

PyObject* noop(PyObject*, PyObject* const*, Py_ssize_t, PyObject*) {
  Py_RETURN_NONE;
}

PyObject* floor(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  if (nargs != 1 || kwnames || !PyList_Check(args[0])) {
    PyErr_SetString(PyExc_TypeError, "floor(texts) takes one list of str");
    return nullptr;
  }
  std::size_t events = 0;
  Py_ssize_t count = PyList_GET_SIZE(args[0]);
  for (Py_ssize_t i = 0; i < count; ++i) {
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(PyList_GET_ITEM(args[0], i), &size);
    if (text == nullptr) return nullptr;
    try {
      events += bench::parse_events(std::string_view(text, static_cast<std::size_t>(size)));
    } catch (const std::exception& failure) {
      PyErr_SetString(PyExc_ValueError, failure.what());
      return nullptr;
    }
  }
  return PyLong_FromSize_t(events);
}

template <typename F>
PyCFunction fastcall(F f) {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
}

PyMethodDef methods[] = {
    {"noop", fastcall(noop), METH_FASTCALL | METH_KEYWORDS, "noop(*args, **kwargs) -> None"},
    {"floor", fastcall(floor), METH_FASTCALL | METH_KEYWORDS, "floor(texts) -> int"},
    {"call", fastcall(bench_probe_call), METH_FASTCALL | METH_KEYWORDS,
     "call(fn, *args) -> fn(*args)"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef module = {
    PyModuleDef_HEAD_INIT,
    "bench_probes",
    "Calling-overhead and floor probes for the benchmark.",
    -1,
    methods,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

PyMODINIT_FUNC PyInit_bench_probes() {
  return PyModule_Create(&module);
}
