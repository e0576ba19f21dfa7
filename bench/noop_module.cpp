// A C extension with the calling convention of orvane's entry points (METH_FASTCALL |
// METH_KEYWORDS), for two jobs in the benchmark:
//   noop(*args, **kwargs) does nothing and returns None: timing it gives Python's overhead of
//     calling such a function with the same arguments as orvane.compile.
//   call(fn, *args) calls fn(*args) and returns its result: under callgrind,
//     --toggle-collect and --dump-after on this function count exactly the calls made through it,
//     while warm-up calls made directly are left out.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

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

PyMethodDef methods[] = {
    {"noop", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(noop)),
     METH_FASTCALL | METH_KEYWORDS, "noop(*args, **kwargs) -> None"},
    {"call", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(bench_probe_call)),
     METH_FASTCALL | METH_KEYWORDS, "call(fn, *args) -> fn(*args)"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef module = {
    PyModuleDef_HEAD_INIT,
    "bench_noop",
    "Calling-overhead probes for the benchmark.",
    -1,
    methods,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

PyMODINIT_FUNC PyInit_bench_noop() {
  return PyModule_Create(&module);
}
