// The `orvane` extension module: three functions over the compile pipeline, validation and the
// catalog. No C++ exception leaves this file: each failure becomes exactly one Python exception.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>
#include <new>
#include <string_view>
#include <vector>

#include "common/failure.h"
#include "engine/mod/compile.h"
#include "python/arguments.h"
#include "python/to_python.h"
#include "schema/catalog/catalog.h"
#include "schema/parser/loader.h"
#include "schema/validation/validation.h"

namespace orvane::python {
namespace {

// Owns the objects whose UTF-8 buffers the document texts point into: at most one per
// document list, and a call passes at most four lists.
class Keeper {
 public:
  Keeper() = default;
  Keeper(const Keeper&) = delete;
  Keeper& operator=(const Keeper&) = delete;
  ~Keeper() {
    for (PyObject* object : objects_) Py_XDECREF(object);
  }
  void hold(PyObject* object) { objects_.at(count_++) = object; }

 private:
  std::array<PyObject*, 4> objects_{};
  std::size_t count_ = 0;
};

bool extract_list(PyObject* object, const char* parameter, bool optional,
                  std::vector<std::string_view>& texts, Keeper& keeper) {
  PyObject* owner = nullptr;
  if (!extract_documents(object, parameter, optional, texts, owner)) return false;
  keeper.hold(owner);
  return true;
}

// Raises ValueError with the whole message, NUL bytes included. A message that is not UTF-8
// is raised as before, through its C string.
void raise_failure(const Failure& failure) {
  const std::string_view message = failure.message();
  PyObject* text =
      PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), nullptr);
  if (text == nullptr) {
    PyErr_Clear();
    PyErr_SetString(PyExc_ValueError, failure.what());
    return;
  }
  PyErr_SetObject(PyExc_ValueError, text);
  Py_DECREF(text);
}

// Runs `work`, turning any C++ exception into the matching Python exception.
template <typename Work>
PyObject* guarded(Work work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return PyErr_NoMemory();
  } catch (const Failure& failure) {
    raise_failure(failure);
    return nullptr;
  } catch (const std::exception& failure) {
    PyErr_SetString(PyExc_ValueError, failure.what());
    return nullptr;
  } catch (...) {
    PyErr_SetString(PyExc_ValueError, "internal error");
    return nullptr;
  }
}

constexpr const char* kCompileNames[] = {"views_yaml",  "query_json",  "dialect",
                                         "topics_yaml", "motifs_yaml", "queries_yaml"};
constexpr Signature kCompileSignature{"compile", kCompileNames, 6, 3};

// The module's state: the strings each compile result repeats.
ResultStrings& result_strings(PyObject* module) {
  return *static_cast<ResultStrings*>(PyModule_GetState(module));
}

PyObject* compile(PyObject* module, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  PyObject* slots[6];
  if (!bind_arguments(kCompileSignature, args, nargs, kwnames, slots)) return nullptr;
  Keeper keeper;
  DocumentTexts documents;
  std::string_view query_json, dialect;
  if (!extract_list(slots[0], "views_yaml", false, documents.views, keeper) ||
      !extract_text(slots[1], "query_json", query_json) ||
      !extract_text(slots[2], "dialect", dialect) ||
      !extract_list(slots[3], "topics_yaml", true, documents.topics, keeper) ||
      !extract_list(slots[4], "motifs_yaml", true, documents.motifs, keeper) ||
      !extract_list(slots[5], "queries_yaml", true, documents.queries, keeper))
    return nullptr;
  return guarded([&] {
    CompileResult result = compile_query(documents, query_json, dialect);
    return to_python(result, result_strings(module));
  });
}

constexpr const char* kValidateNames[] = {"views_yaml", "topics_yaml"};
constexpr Signature kValidateSignature{"validate", kValidateNames, 2, 1};

PyObject* validate(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  PyObject* slots[2];
  if (!bind_arguments(kValidateSignature, args, nargs, kwnames, slots)) return nullptr;
  Keeper keeper;
  DocumentTexts documents;
  if (!extract_list(slots[0], "views_yaml", false, documents.views, keeper) ||
      !extract_list(slots[1], "topics_yaml", true, documents.topics, keeper))
    return nullptr;
  return guarded([&]() -> PyObject* {
    validate_schema(load_documents(documents, yaml::Documentation::CheckOnly));
    Py_RETURN_TRUE;
  });
}

constexpr const char* kCatalogNames[] = {"views_yaml", "topics_yaml", "motifs_yaml",
                                         "queries_yaml"};
constexpr Signature kCatalogSignature{"catalog_list", kCatalogNames, 4, 1};

PyObject* catalog_list(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  PyObject* slots[4];
  if (!bind_arguments(kCatalogSignature, args, nargs, kwnames, slots)) return nullptr;
  Keeper keeper;
  DocumentTexts documents;
  if (!extract_list(slots[0], "views_yaml", false, documents.views, keeper) ||
      !extract_list(slots[1], "topics_yaml", true, documents.topics, keeper) ||
      !extract_list(slots[2], "motifs_yaml", true, documents.motifs, keeper) ||
      !extract_list(slots[3], "queries_yaml", true, documents.queries, keeper))
    return nullptr;
  return guarded([&] {
    return to_python(list_catalog(load_documents(documents, yaml::Documentation::Keep)));
  });
}

PyDoc_STRVAR(compile_doc,
             "compile(views_yaml, query_json, dialect, topics_yaml=None, motifs_yaml=None, "
             "queries_yaml=None)\n"
             "--\n"
             "\n"
             "Compile a semantic query to SQL.\n"
             "\n"
             "Args:\n"
             "    views_yaml: List of .view.yml file contents (YAML strings).\n"
             "    query_json: Query as JSON string (same format as ``orvane query -q``).\n"
             "    dialect: SQL dialect string (e.g., \"postgres\", \"bigquery\", \"duckdb\").\n"
             "    topics_yaml: Optional list of .topic.yml file contents.\n"
             "    motifs_yaml: Optional list of .motif.yml file contents.\n"
             "    queries_yaml: Optional list of .query.yml file contents (saved queries).\n"
             "\n"
             "Returns:\n"
             "    dict with ``sql``, ``params``, ``columns``, and ``default_limit_applied`` keys.\n"
             "\n"
             "Raises:\n"
             "    ValueError: If inputs are invalid or compilation fails.");

PyDoc_STRVAR(validate_doc,
             "validate(views_yaml, topics_yaml=None)\n"
             "--\n"
             "\n"
             "Validate view YAML without compiling a query.\n"
             "\n"
             "Args:\n"
             "    views_yaml: List of .view.yml file contents (YAML strings).\n"
             "    topics_yaml: Optional list of .topic.yml file contents.\n"
             "\n"
             "Returns:\n"
             "    True if all views parse and validate successfully.\n"
             "\n"
             "Raises:\n"
             "    ValueError: If validation fails.");

PyDoc_STRVAR(catalog_list_doc,
             "catalog_list(views_yaml, topics_yaml=None, motifs_yaml=None, queries_yaml=None)\n"
             "--\n"
             "\n"
             "List all semantic objects (views, dimensions, measures, motifs, etc.).\n"
             "\n"
             "Args:\n"
             "    views_yaml: List of .view.yml file contents (YAML strings).\n"
             "    topics_yaml: Optional list of .topic.yml file contents.\n"
             "    motifs_yaml: Optional list of .motif.yml file contents.\n"
             "    queries_yaml: Optional list of .query.yml file contents (saved queries).\n"
             "\n"
             "Returns:\n"
             "    list of dicts, each with ``kind``, ``name``, ``description``, ``view``,\n"
             "    ``member_type``, and ``meta`` keys.\n"
             "\n"
             "Raises:\n"
             "    ValueError: If inputs are invalid.");

PyMethodDef kMethods[] = {
    {"compile", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(compile)),
     METH_FASTCALL | METH_KEYWORDS, compile_doc},
    {"validate", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(validate)),
     METH_FASTCALL | METH_KEYWORDS, validate_doc},
    {"catalog_list", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(catalog_list)),
     METH_FASTCALL | METH_KEYWORDS, catalog_list_doc},
    {nullptr, nullptr, 0, nullptr}};

// The execution step of multi-phase initialisation: the functions are added and the state's
// strings made here. Python allocates the state zeroed, so every string starts out null.
int exec_module(PyObject* module) {
  if (!make_result_strings(result_strings(module))) return -1;
  return PyModule_AddFunctions(module, kMethods);
}

int traverse_module(PyObject* module, visitproc visit, void* arg) {
  return visit_result_strings(result_strings(module), visit, arg);
}

int clear_module(PyObject* module) {
  clear_result_strings(result_strings(module));
  return 0;
}

void free_module(void* module) {
  clear_module(static_cast<PyObject*>(module));
}

PyModuleDef_Slot kSlots[] = {{Py_mod_exec, reinterpret_cast<void*>(exec_module)},
#ifdef Py_mod_multiple_interpreters
                             {Py_mod_multiple_interpreters, Py_MOD_PER_INTERPRETER_GIL_SUPPORTED},
#endif
#ifdef Py_mod_gil
                             {Py_mod_gil, Py_MOD_GIL_NOT_USED},
#endif
                             {0, nullptr}};

PyModuleDef kModule = {PyModuleDef_HEAD_INIT, "orvane",     "The orvane Python module.",
                       sizeof(ResultStrings), nullptr,      kSlots,
                       traverse_module,       clear_module, free_module};

}  // namespace
}  // namespace orvane::python

PyMODINIT_FUNC PyInit_orvane(void) {
  return PyModuleDef_Init(&orvane::python::kModule);
}
