// The orvcore module: the library's classes for Python, with numpy arrays in
// and out. Each subsystem's bindings live in their own source file.

#include "Bindings.h"

#include "orvcore/core/CArchiveException.h"

#include <algorithm>

namespace {

// orvcore.ArchiveError, a ValueError carrying the archive's cause.
PyObject* g_archiveError = nullptr;

const char* const kCauseNames[] = {"none",     "genericException", "readOnly", "endOfFile",
                                   "writeOnly", "badIndex",         "badClass", "badSchema"};

const char* CauseName(int cause)
{
    return cause >= 0 && cause < 8 ? kCauseNames[cause] : "unknown";
}

void SetArchiveError(int cause, const std::string& message)
{
    py::object type = py::reinterpret_borrow<py::object>(g_archiveError);
    py::object error = type(message);
    error.attr("cause") = cause;
    error.attr("cause_name") = CauseName(cause);
    PyErr_SetObject(g_archiveError, error.ptr());
}

void DefineArchiveError(py::module_& m)
{
    g_archiveError = PyErr_NewExceptionWithDoc(
        "orvcore.ArchiveError",
        "An archive form could not be loaded: the bytes are short, damaged, of another class or schema, or "
        "longer than the object. `cause` is the archive's cause (one of the class attributes endOfFile, "
        "badIndex, ...) and `cause_name` its name.",
        PyExc_ValueError, nullptr);
    if (g_archiveError == nullptr)
        throw py::error_already_set();
    py::object type = py::reinterpret_borrow<py::object>(g_archiveError);
    for (int cause = 0; cause < 8; ++cause)
        type.attr(kCauseNames[cause]) = cause;
    m.attr("ArchiveError") = type;
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const CArchiveException& e) {
            SetArchiveError(e.m_cause, std::string("archive error: ") + e.what());
        } catch (const orvpy::ArchiveFailure& f) {
            SetArchiveError(f.cause, f.message);
        }
    });
}

} // namespace

namespace orvpy {

bool ParseArguments(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, const char* function,
                    std::initializer_list<const char*> names, std::size_t required, PyObject** out)
{
    const std::size_t count = names.size();
    const Py_ssize_t given = nargs;
    const std::size_t positional = static_cast<std::size_t>(given);
    if (positional > count) {
        PyErr_Format(PyExc_TypeError, "%s() takes at most %zu arguments (%zu given)", function, count, positional);
        return false;
    }
    std::fill(out, out + count, nullptr);
    std::copy(args, args + given, out);
    const Py_ssize_t keywords = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t k = 0; k < keywords; ++k) {
        PyObject* key = PyTuple_GET_ITEM(kwnames, k);
        std::size_t at = 0;
        for (const char* name : names) {
            if (PyUnicode_CompareWithASCIIString(key, name) == 0)
                break;
            ++at;
        }
        if (at == count) {
            PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", function, key);
            return false;
        }
        if (out[at] != nullptr) {
            PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%U'", function, key);
            return false;
        }
        out[at] = args[given + k];
    }
    for (std::size_t k = 0; k < required; ++k)
        if (out[k] == nullptr) {
            PyErr_Format(PyExc_TypeError, "%s() missing required argument '%s'", function, names.begin()[k]);
            return false;
        }
    return true;
}

void AddFunction(py::module_& m, PyMethodDef& def)
{
    py::object function = py::reinterpret_steal<py::object>(PyCFunction_NewEx(&def, nullptr, m.attr("__name__").ptr()));
    if (!function)
        throw py::error_already_set();
    m.attr(def.ml_name) = function;
}

} // namespace orvpy

PYBIND11_MODULE(_orvcore, m)
{
    // The classes and functions say they come from the package, which
    // re-exports them, so that pickles and reprs name orvcore.Point3d.
    const py::object ownName = m.attr("__name__");
    m.attr("__name__") = "orvcore";
    m.doc() = "OrvCore57, the core class library of a molecular-structure viewer: geometry of coordinates, "
              "colours, graphics primitives and display lists, text patterns, neighbour search, random "
              "sequences and rational numbers. Classes and methods keep their C++ names; arrays of points "
              "cross as numpy float32 arrays of shape (n, 3).";
    m.attr("NEWEST_SCHEMA") = orvpy::kNewestSchema;
    m.attr("UNSET_SCHEMA") = orvpy::kUnsetSchema;
    DefineArchiveError(m);
    orvpy::BindGeometry(m);
    orvpy::BindMatrices(m);
    orvpy::BindFitting(m);
    orvpy::BindArrays(m);
    orvpy::BindColor(m);
    orvpy::BindPrimitives(m);
    orvpy::BindShapes(m);
    orvpy::BindScene(m);
    orvpy::BindText(m);
    orvpy::BindNumerics(m);
    orvpy::BindSpatial(m);
    m.attr("__version__") = ORVCORE_VERSION;
    m.attr("__name__") = ownName;
}
