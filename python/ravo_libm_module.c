/* ravo_libm for Python: the library's complex square roots as numpy
 * ufuncs, and the calling thread's rounding mode as a context manager. This
 * is the extension ravo_libm._ravo_libm; the package ravo_libm re-exports it.
 *
 * The module computes nothing itself. cr_csqrt and its fixed directions
 * have two loops each, complex64 over the library's binary32 functions and
 * complex128 over its binary64 ones; csqrt has the complex128 loop alone.
 * The complex64 loop is listed first and takes float16, float32 and
 * complex64 input (as numpy's own loops keep single precision), so its
 * result is the exact root rounded once to binary32, never a binary64 root
 * rounded again. Every other input that converts safely (Python numbers,
 * integers of every width, float64, complex128) goes to the complex128 loop
 * as it did before the complex64 one existed: see resolve_types. numpy
 * clears the floating-point status flags before the loops and reads them
 * afterwards, so the flags the library raises reach np.errstate as those of
 * any other ufunc: invalid (a signalling NaN) as a RuntimeWarning by
 * default, underflow ignored by default. */
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <fenv.h>
#include <numpy/arrayobject.h>
#include <numpy/ufuncobject.h>
#include <string.h>

#include "ravo_libm.h"

#ifndef RAVO_VERSION
#error "compiled with RAVO_VERSION, the project's version"
#endif

/* Elements gathered from a strided operand per call of the array function:
 * 4 KiB on the stack, enough for the array function's vector lanes to run
 * at full width and few enough calls that their overhead does not show. */
enum { GATHER_ELEMENTS = 256 };

/* One rounding of the root in its binary64 and binary32 forms: the array
 * functions, y[i] = f(x[i]) for i < n with the flags of the n calls. The
 * loops receive it through the ufunc's data pointer, wrapped in a struct:
 * ISO C has no conversion between function and object pointers. */
typedef struct {
  void (*apply)(size_t n, const ravo_c_complex *x, ravo_c_complex *y);
  void (*apply_float)(size_t n, const ravo_c_complex_float *x, ravo_c_complex_float *y);
} BatchFunction;

/* y = f(x) for the BatchFunction in data, in binary64 or in binary32
 * (single: no value passes through binary64, each part is rounded once). A
 * contiguous operand is handed to the array function as it is (in place
 * when numpy passes the same memory for both); a strided one goes through
 * a stack buffer. Both give the scalar function's bits and the union of
 * its flags, whatever the strides. */
static void apply_to(const BatchFunction *f, int single, npy_intp n, const char *x, char *y) {
  if (single)
    f->apply_float((size_t)n, (const ravo_c_complex_float *)x, (ravo_c_complex_float *)y);
  else
    f->apply((size_t)n, (const ravo_c_complex *)x, (ravo_c_complex *)y);
}

static void gathered_loop(char **args, const npy_intp *dimensions, const npy_intp *steps, const BatchFunction *f,
                          int single) {
  const npy_intp n = dimensions[0];
  const npy_intp in_step = steps[0], out_step = steps[1];
  char *in = args[0], *out = args[1];
  const npy_intp element = single ? (npy_intp)sizeof(ravo_c_complex_float) : (npy_intp)sizeof(ravo_c_complex);
  if (in_step == element && out_step == element) {
    apply_to(f, single, n, in, out);
    return;
  }
  ravo_c_complex buffer[GATHER_ELEMENTS]; /* binary32 elements use its first half */
  char *const gathered = (char *)buffer;
  for (npy_intp start = 0; start < n; start += GATHER_ELEMENTS) {
    const npy_intp m = n - start < GATHER_ELEMENTS ? n - start : GATHER_ELEMENTS;
    const char *src = in;
    if (in_step != element) {
      for (npy_intp i = 0; i < m; ++i) memcpy(gathered + i * element, in + i * in_step, (size_t)element);
      src = gathered;
    }
    char *dst = out_step == element ? out : gathered;
    apply_to(f, single, m, src, dst);
    if (dst == gathered) {
      for (npy_intp i = 0; i < m; ++i) memcpy(out + i * out_step, gathered + i * element, (size_t)element);
    }
    in += m * in_step;
    out += m * out_step;
  }
}

static void batch_loop_float(char **args, const npy_intp *dimensions, const npy_intp *steps, void *data) {
  gathered_loop(args, dimensions, steps, (const BatchFunction *)data, 1);
}

static void batch_loop(char **args, const npy_intp *dimensions, const npy_intp *steps, void *data) {
  gathered_loop(args, dimensions, steps, (const BatchFunction *)data, 0);
}

static void csqrt_loop(char **args, const npy_intp *dimensions, const npy_intp *steps, void *data) {
  (void)data;
  const npy_intp n = dimensions[0];
  char *in = args[0], *out = args[1];
  for (npy_intp i = 0; i < n; ++i, in += steps[0], out += steps[1]) {
    ravo_c_complex z;
    memcpy(&z, in, sizeof z);
    const ravo_c_complex w = csqrt_scalar(z);
    memcpy(out, &w, sizeof w);
  }
}

/* The complex64 loop comes first: numpy's type resolution takes the first
 * loop the input casts to safely, so complex64 input (and float16, float32)
 * stays in binary32, also with out= a complex64 array. */
static PyUFuncGenericFunction batch_loops[] = {batch_loop_float, batch_loop};
static char batch_types[] = {NPY_CFLOAT, NPY_CFLOAT, NPY_CDOUBLE, NPY_CDOUBLE};
enum { BATCH_LOOP_COUNT = sizeof batch_loops / sizeof batch_loops[0] };
static PyUFuncGenericFunction csqrt_loops[] = {csqrt_loop};
static void *no_loop_data[] = {NULL};
static char complex128_to_complex128[] = {NPY_CDOUBLE, NPY_CDOUBLE};

/* The input types the complex64 loop serves: numpy's own unary loops keep
 * these in single (or half) precision. Integers and booleans would cast
 * safely to complex64 too when narrow, but they have always given
 * complex128 here, and a 16-bit integer's root in binary32 would be a
 * silent loss of precision; they keep the complex128 loop. */
static int takes_complex64_loop(int type_num) {
  return type_num == NPY_HALF || type_num == NPY_FLOAT || type_num == NPY_CFLOAT;
}

/* numpy's default resolution (the first loop the input casts to safely,
 * the output checked against out= with the casting rule), except that an
 * input the complex64 loop does not serve goes to the complex128 loop as
 * if that were the only one. An explicit dtype= or signature= is numpy's
 * to resolve, as is an input that does not cast safely to complex128 (the
 * same error as ever). */
static int resolve_types(PyUFuncObject *ufunc, NPY_CASTING casting, PyArrayObject **operands, PyObject *type_tup,
                         PyArray_Descr **out_dtypes) {
  PyArray_Descr *const in = PyArray_DESCR(operands[0]);
  if (type_tup == NULL && !takes_complex64_loop(in->type_num)) {
    PyArray_Descr *const complex128 = PyArray_DescrFromType(NPY_CDOUBLE);
    if (complex128 == NULL) return -1;
    if (PyArray_CanCastTypeTo(in, complex128, NPY_SAFE_CASTING)) {
      Py_INCREF(complex128);
      out_dtypes[0] = complex128;
      out_dtypes[1] = complex128;
      if (PyUFunc_ValidateCasting(ufunc, casting, operands, out_dtypes) < 0) {
        Py_DECREF(out_dtypes[0]);
        Py_DECREF(out_dtypes[1]);
        out_dtypes[0] = out_dtypes[1] = NULL;
        return -1;
      }
      return 0;
    }
    Py_DECREF(complex128);
  }
  return PyUFunc_DefaultTypeResolver(ufunc, casting, operands, type_tup, out_dtypes);
}

static const char cr_csqrt_doc[] =
    "Principal square root, correctly rounded, element-wise.\n"
    "\n"
    "Each part of the result is the exact square root's part rounded once to\n"
    "the result's format in the calling thread's rounding mode (all four\n"
    "modes, subnormals included), so the bits are the same on every platform.\n"
    "complex64 input gives complex64, rounded once to float32 (never a\n"
    "float64 root rounded again); float16 and float32 input likewise, as x +\n"
    "0j. Every other input is cast to complex128 (real input as x + 0j) and\n"
    "gives complex128, rounded to float64. The real part is +0 or positive,\n"
    "the imaginary part has the sign of Im z (zeros included); infinities and\n"
    "NaNs give the special values of ISO C Annex G.\n"
    "\n"
    "Floating-point flags, seen through np.errstate: invalid only for a\n"
    "signalling NaN part, underflow exactly when a part is inexact and tiny\n"
    "(below the format's smallest normal after rounding); never overflow or\n"
    "divide-by-zero.\n"
    "\n"
    "Contiguous data goes to the library's array function in one call\n"
    "(cr_csqrtf_batch for complex64, cr_csqrt_batch for complex128); strided\n"
    "data in blocks of 256 elements.";

static const char csqrt_doc[] =
    "Principal square root in x87 extended precision, element-wise.\n"
    "\n"
    "The library's csqrt_scalar: in round to nearest each part is within one\n"
    "ulp of the exact root and almost always correctly rounded (not always:\n"
    "the result is rounded twice, to extended and then to float64); in the\n"
    "upward and downward modes a part may be rounded against the mode, about\n"
    "one ulp from the exact root (1.0014 ulp the largest seen). Special\n"
    "values, signs and flags as for\n"
    "cr_csqrt, except that underflow is raised whenever a part is subnormal.\n"
    "Use cr_csqrt for results that are correctly rounded in every mode.";

/* The docstring of a fixed-direction ufunc: how it rounds, the mode name
 * whose cr_csqrt it equals, its array and scalar functions. */
#define DIRECTED_DOC(how, mode_name, batch_name, batchf_name)                            \
  "Principal square root, correctly rounded " how                                        \
  ", element-wise.\n"                                                                    \
  "\n"                                                                                   \
  "Each part of the result is the exact square root's part rounded once to\n"            \
  "the result's format (float32 for complex64, float16 and float32 input,\n"             \
  "float64 for the rest) in that direction (subnormals included), whatever\n"            \
  "the calling thread's rounding mode, which is the same after the call.\n"              \
  "The real part is +0 or positive, the imaginary part has the sign of Im z.\n"          \
  "The bits and the floating-point flags (seen through np.errstate) are\n"               \
  "those of cr_csqrt with the thread in mode '" mode_name                                \
  "': special values, input\n"                                                           \
  "casting and flags as documented there. For code that does not own its\n"              \
  "threads' modes: thread pools, dask workers, interval bounds.\n"                       \
  "\n"                                                                                   \
  "Contiguous data goes to the library's array function " batchf_name " or\n" batch_name \
  " in one call; strided data in blocks of 256 elements."

/* The ufuncs over the library's array functions: the loops batch_loop_float
 * and batch_loop, told by their data which functions to apply. Both data
 * pointers point at function, set at import (numpy keeps the pointers, so
 * the table is static). */
static struct {
  const char *name;
  const char *doc;
  BatchFunction function;
  void *data[BATCH_LOOP_COUNT];
} batch_ufuncs[] = {
    {"cr_csqrt", cr_csqrt_doc, {cr_csqrt_batch, cr_csqrtf_batch}, {NULL, NULL}},
    {"cr_csqrt_rn",
     DIRECTED_DOC("to nearest (ties to even)", "nearest", "cr_csqrt_batch_rn", "cr_csqrtf_batch_rn"),
     {cr_csqrt_batch_rn, cr_csqrtf_batch_rn},
     {NULL, NULL}},
    {"cr_csqrt_rd",
     DIRECTED_DOC("downward (toward -inf)", "down", "cr_csqrt_batch_rd", "cr_csqrtf_batch_rd"),
     {cr_csqrt_batch_rd, cr_csqrtf_batch_rd},
     {NULL, NULL}},
    {"cr_csqrt_ru",
     DIRECTED_DOC("upward (toward +inf)", "up", "cr_csqrt_batch_ru", "cr_csqrtf_batch_ru"),
     {cr_csqrt_batch_ru, cr_csqrtf_batch_ru},
     {NULL, NULL}},
    {"cr_csqrt_rz",
     DIRECTED_DOC("toward zero", "zero", "cr_csqrt_batch_rz", "cr_csqrtf_batch_rz"),
     {cr_csqrt_batch_rz, cr_csqrtf_batch_rz},
     {NULL, NULL}},
};
enum { BATCH_UFUNC_COUNT = sizeof batch_ufuncs / sizeof batch_ufuncs[0] };

/* The four rounding modes by name, in both directions. */
static const struct {
  const char *name;
  int mode;
} rounding_modes[] = {
    {"nearest", FE_TONEAREST},
    {"down", FE_DOWNWARD},
    {"up", FE_UPWARD},
    {"zero", FE_TOWARDZERO},
};
enum { ROUNDING_MODE_COUNT = sizeof rounding_modes / sizeof rounding_modes[0] };

static int rounding_mode_from_name(PyObject *name) {
  const char *text = PyUnicode_Check(name) ? PyUnicode_AsUTF8(name) : NULL;
  if (text != NULL) {
    for (int i = 0; i < ROUNDING_MODE_COUNT; ++i) {
      if (strcmp(text, rounding_modes[i].name) == 0) return rounding_modes[i].mode;
    }
  }
  if (!PyErr_Occurred()) {
    PyErr_Format(PyExc_ValueError, "rounding mode must be 'nearest', 'down', 'up' or 'zero', not %R", name);
  }
  return -1;
}

static PyObject *rounding_mode_name(int mode) {
  for (int i = 0; i < ROUNDING_MODE_COUNT; ++i) {
    if (rounding_modes[i].mode == mode) return PyUnicode_FromString(rounding_modes[i].name);
  }
  PyErr_Format(PyExc_RuntimeError, "fegetround() returned an unknown mode %d", mode);
  return NULL;
}

static PyObject *get_rounding(PyObject *module, PyObject *unused) {
  (void)module;
  (void)unused;
  return rounding_mode_name(fegetround());
}

static PyObject *implementation(PyObject *module, PyObject *unused) {
  (void)module;
  (void)unused;
  return PyUnicode_FromString(cr_csqrt_implementation());
}

/* with rounding("down"): ... sets the mode on entry and puts back the one it
 * found on exit, however the block ends. An instance holds one saved mode,
 * so it cannot be entered again while it is active. The package's
 * ravo_libm.rounding wraps this type and makes one per decorated call. */
typedef struct {
  PyObject ob_base;
  int mode;
  int saved_mode;
  int active;
} RoundingObject;

static PyObject *rounding_new(PyTypeObject *type, PyObject *args, PyObject *kwargs) {
  static char *keywords[] = {"mode", NULL};
  PyObject *name;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "O:rounding", keywords, &name)) return NULL;
  const int mode = rounding_mode_from_name(name);
  if (mode < 0) return NULL;
  RoundingObject *self = (RoundingObject *)type->tp_alloc(type, 0);
  if (self == NULL) return NULL;
  self->mode = mode;
  self->active = 0;
  return (PyObject *)self;
}

static PyObject *rounding_enter(PyObject *object, PyObject *unused) {
  (void)unused;
  RoundingObject *self = (RoundingObject *)object;
  if (self->active) {
    PyErr_SetString(PyExc_RuntimeError, "this rounding context is already active");
    return NULL;
  }
  self->saved_mode = fegetround();
  if (fesetround(self->mode) != 0) {
    PyErr_SetString(PyExc_OSError, "fesetround failed");
    return NULL;
  }
  self->active = 1;
  return rounding_mode_name(self->mode);
}

static PyObject *rounding_exit(PyObject *object, PyObject *args) {
  (void)args;
  RoundingObject *self = (RoundingObject *)object;
  if (self->active) {
    self->active = 0;
    if (fesetround(self->saved_mode) != 0) {
      PyErr_SetString(PyExc_OSError, "fesetround failed");
      return NULL;
    }
  }
  Py_RETURN_FALSE; /* an exception raised in the block goes on */
}

static PyObject *rounding_repr(PyObject *object) {
  PyObject *name = rounding_mode_name(((RoundingObject *)object)->mode);
  if (name == NULL) return NULL;
  PyObject *text = PyUnicode_FromFormat("ravo_libm.rounding(%R)", name);
  Py_DECREF(name);
  return text;
}

static PyMethodDef rounding_methods[] = {
    {"__enter__", rounding_enter, METH_NOARGS, "Sets the mode; returns its name."},
    {"__exit__", rounding_exit, METH_VARARGS, "Restores the mode found on entry."},
    {NULL, NULL, 0, NULL},
};

static PyTypeObject RoundingType = {
    PyVarObject_HEAD_INIT(NULL, 0).tp_name = "ravo_libm._ravo_libm.rounding",
    .tp_basicsize = sizeof(RoundingObject),
    .tp_flags = Py_TPFLAGS_DEFAULT,
    .tp_doc =
        "rounding(mode)\n"
        "\n"
        "Context manager for the rounding mode of the calling thread's\n"
        "floating-point unit: mode is 'nearest', 'down', 'up' or 'zero'.\n"
        "\n"
        "    with ravo_libm.rounding('down'):\n"
        "        w = ravo_libm.cr_csqrt(z)\n"
        "\n"
        "Sets the mode with fesetround on entry (on x86-64 for both the x87\n"
        "and the SSE unit) and restores the mode found then on exit, also\n"
        "when the block raises. The mode belongs to the calling thread:\n"
        "threads already running keep theirs (one started inside the block\n"
        "begins with it, as a new thread copies its creator's environment),\n"
        "and everything the thread computes inside the block, numpy and\n"
        "Python float arithmetic included, rounds in that mode.",
    .tp_new = rounding_new,
    .tp_repr = rounding_repr,
    .tp_methods = rounding_methods,
};

static PyMethodDef module_methods[] = {
    {"get_rounding", get_rounding, METH_NOARGS,
     "get_rounding()\n\nThe calling thread's rounding mode: 'nearest', 'down', 'up' or 'zero'."},
    {"implementation", implementation, METH_NOARGS,
     "implementation()\n\nWhich of the library's paths computes cr_csqrt in this process:\n"
     "'x87', 'binary64-avx512', 'binary64-fma' or 'binary64' (the same bits and flags, different\n"
     "speed)."},
    {NULL, NULL, 0, NULL},
};

static struct PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT,
    .m_name = "ravo_libm._ravo_libm",
    .m_doc =
        "Complex square roots as numpy ufuncs.\n"
        "\n"
        "cr_csqrt  correctly rounded in every rounding mode, the same bits on every platform;\n"
        "          complex64 in, complex64 out (rounded once to float32), complex128 otherwise\n"
        "cr_csqrt_rn, _rd, _ru, _rz  the same, each in its fixed direction whatever the thread's mode\n"
        "csqrt     the x87 extended-precision design, within one ulp in round to nearest\n"
        "rounding  context manager for the calling thread's rounding mode\n"
        "get_rounding, implementation",
    .m_size = -1,
    .m_methods = module_methods,
};

/* A ufunc with count loops of one input and one output; resolve (or NULL
 * for numpy's default) chooses among them. */
static int add_ufunc(PyObject *module, PyUFuncGenericFunction *loops, void **data, char *types, int count,
                     PyUFunc_TypeResolutionFunc *resolve, const char *name, const char *doc) {
  PyObject *ufunc = PyUFunc_FromFuncAndData(loops, data, types, count, 1, 1, PyUFunc_None, name, doc, 0);
  if (ufunc == NULL) return -1;
  if (resolve != NULL) ((PyUFuncObject *)ufunc)->type_resolver = resolve;
  if (PyModule_AddObject(module, name, ufunc) < 0) {
    Py_DECREF(ufunc);
    return -1;
  }
  return 0;
}

PyMODINIT_FUNC PyInit__ravo_libm(void) {
  import_array();
  import_umath();
  if (PyType_Ready(&RoundingType) < 0) return NULL;
  PyObject *module = PyModule_Create(&module_definition);
  if (module == NULL) return NULL;
  Py_INCREF(&RoundingType);
  if (PyModule_AddObject(module, "rounding", (PyObject *)&RoundingType) < 0) {
    Py_DECREF(&RoundingType);
    Py_DECREF(module);
    return NULL;
  }
  /* The project's one version, as the package metadata and csqrt --version
   * give it. */
  if (PyModule_AddStringConstant(module, "__version__", RAVO_VERSION) < 0) {
    Py_DECREF(module);
    return NULL;
  }
  for (int i = 0; i < BATCH_UFUNC_COUNT; ++i) {
    for (int j = 0; j < BATCH_LOOP_COUNT; ++j) batch_ufuncs[i].data[j] = &batch_ufuncs[i].function;
    if (add_ufunc(module, batch_loops, batch_ufuncs[i].data, batch_types, BATCH_LOOP_COUNT, resolve_types,
                  batch_ufuncs[i].name, batch_ufuncs[i].doc) < 0) {
      Py_DECREF(module);
      return NULL;
    }
  }
  if (add_ufunc(module, csqrt_loops, no_loop_data, complex128_to_complex128, 1, NULL, "csqrt", csqrt_doc) < 0) {
    Py_DECREF(module);
    return NULL;
  }
  return module;
}
