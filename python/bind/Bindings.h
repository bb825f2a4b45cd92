#pragma once

// What the binding files of the orvcore module share: the conversion of the
// library's strings, the archive forms of the bound classes (one template for
// every class), point arrays to and from numpy without copies where the
// layout allows, and the entry of each subsystem's bindings.

#include "orvcore/core/CArchive.h"
#include "orvcore/core/CMemFile.h"
#include "orvcore/core/CString.h"
#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/geometry/Point2d.h"
#include "orvcore/geometry/Point3d.h"

#include <pybind11/numpy.h>
#include <pybind11/operators.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <initializer_list>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

namespace py = pybind11;
using namespace pybind11::literals;

// CString crosses as str (UTF-8; bytes that are not UTF-8 come out as
// surrogate escapes and go back in as the same bytes, so any text
// round-trips) and is taken from str or bytes.
namespace pybind11 {
namespace detail {
template <>
struct type_caster<CString>
{
    PYBIND11_TYPE_CASTER(CString, const_name("str"));

    bool load(handle src, bool)
    {
        const char* text = nullptr;
        Py_ssize_t size = 0;
        object escaped;
        if (PyUnicode_Check(src.ptr())) {
            text = PyUnicode_AsUTF8AndSize(src.ptr(), &size);
            if (text == nullptr) {
                // Lone surrogates: the bytes that came out of a string as escapes go back as they were.
                PyErr_Clear();
                escaped = reinterpret_steal<object>(PyUnicode_AsEncodedString(src.ptr(), "utf-8", "surrogateescape"));
                if (!escaped) {
                    PyErr_Clear();
                    return false;
                }
                text = PyBytes_AS_STRING(escaped.ptr());
                size = PyBytes_GET_SIZE(escaped.ptr());
            }
        } else if (PyBytes_Check(src.ptr())) {
            text = PyBytes_AS_STRING(src.ptr());
            size = PyBytes_GET_SIZE(src.ptr());
        } else {
            return false;
        }
        if (size > 0x7FFFFFFF)
            return false;
        value = CString(text, static_cast<int>(size));
        return true;
    }

    static handle cast(const CString& s, return_value_policy, handle)
    {
        return PyUnicode_DecodeUTF8(s.GetString(), s.GetLength(), "surrogateescape");
    }
};

// Points and matrices are taken from instances of their classes and, where
// conversion is allowed, from any sequence of numbers of the right shape
// (tuples, lists, numpy rows of any float or integer dtype). A caster of our
// own rather than implicitly_convertible, whose recursion guard is a
// process-wide flag that makes conversions fail at random when several
// threads convert at once.
bool LoadNumbers(handle src, double* out, int n);
bool LoadMatrix(handle src, double* out, int n);

template <class Point, std::size_t n>
struct point_caster : type_caster_base<Point>
{
    Point converted;

    bool load(handle src, bool convert)
    {
        if (type_caster_base<Point>::load(src, convert))
            return true;
        double v[n];
        if (!convert || !LoadNumbers(src, v, static_cast<int>(n)))
            return false;
        if constexpr (n == 3)
            converted = Point(v[0], v[1], v[2]);
        else
            converted = Point(v[0], v[1]);
        this->value = &converted;
        return true;
    }
};
template <>
struct type_caster<Orvane::Point3d> : point_caster<Orvane::Point3d, 3>
{
};
template <>
struct type_caster<Orvane::Point2d> : point_caster<Orvane::Point2d, 2>
{
};

template <class Matrix, std::size_t n>
struct matrix_caster : type_caster_base<Matrix>
{
    Matrix converted;

    bool load(handle src, bool convert)
    {
        if (type_caster_base<Matrix>::load(src, convert))
            return true;
        double v[n * n];
        if (!convert || !LoadMatrix(src, v, static_cast<int>(n)))
            return false;
        converted = Matrix(v);
        this->value = &converted;
        return true;
    }
};
template <>
struct type_caster<Orvane::Matrix3x3> : matrix_caster<Orvane::Matrix3x3, 3>
{
};
template <>
struct type_caster<Orvane::Matrix4x4> : matrix_caster<Orvane::Matrix4x4, 4>
{
};

} // namespace detail
} // namespace pybind11

namespace orvpy {

// The newest object schema the library writes, and the value that means "no
// schema set" (older documents' defaults apply to some fields, newer to others).
using Orvane::kNewestSchema;
using Orvane::kUnsetSchema;

// A failure of an archive form that is not the archive's own exception (bytes
// left over after the object); reported as orvcore.ArchiveError as well.
struct ArchiveFailure
{
    int cause;
    std::string message;
};

// --- archive forms: one template for every class that has one

namespace detail {
template <class T, class = void>
struct HasSerialize : std::false_type
{
};
template <class T>
struct HasSerialize<T, std::void_t<decltype(std::declval<T&>().Serialize(std::declval<CArchive&>()))>>
    : std::true_type
{
};

// The class's Serialize where it has one, else its archive operators.
template <class T>
void Transfer(CArchive& ar, T& object)
{
    if constexpr (HasSerialize<T>::value)
        object.Serialize(ar);
    else if (ar.IsStoring())
        ar << object;
    else
        ar >> object;
}
} // namespace detail

// The bytes of the object's archive form under the schema.
template <class T>
py::bytes ToBytes(const T& object, UINT schema)
{
    T copy(object); // Serialize is not const
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar.m_nObjectSchema = schema;
        detail::Transfer(ar, copy);
        ar.Close();
    }
    return py::bytes(reinterpret_cast<const char*>(file.GetData()), static_cast<py::ssize_t>(file.GetLength()));
}

// An object loaded from the whole of the bytes under the schema. Damaged or
// short bytes raise CArchiveException, bytes left over an ArchiveFailure.
template <class T>
T FromBytes(const py::buffer& data, UINT schema)
{
    // Any buffer (bytearray, memoryview, a strided view) as one contiguous copy; bytes as they are.
    const py::bytes raw = PyBytes_Check(data.ptr()) ? py::reinterpret_borrow<py::bytes>(data)
                                                    : py::reinterpret_steal<py::bytes>(PyBytes_FromObject(data.ptr()));
    if (!raw)
        throw py::error_already_set();
    const std::size_t size = static_cast<std::size_t>(PyBytes_GET_SIZE(raw.ptr()));
    if (size > 0xFFFFFFFFu)
        throw ArchiveFailure{CArchiveException::genericException, "archive form too large"};
    CMemFile file(reinterpret_cast<const BYTE*>(PyBytes_AS_STRING(raw.ptr())), static_cast<UINT>(size));
    T object{};
    CArchive ar(&file, CArchive::load);
    ar.m_nObjectSchema = schema;
    detail::Transfer(ar, object);
    const ULONGLONG left = ar.GetBytesAvailable();
    if (left != 0)
        throw ArchiveFailure{CArchiveException::genericException,
                             std::to_string(left) + " bytes left over after the archive form"};
    return object;
}

// Pickling, copy and deepcopy of a class with an archive form: the form under
// the newest schema, restored by orvcore._from_archive(cls, data); every
// pickle protocol takes it.
py::tuple ReduceByArchiveForm(const py::handle& self, py::bytes form);

// to_bytes, from_bytes, pickling and copies for a bound class.
template <class T, class... Options>
void DefArchiveForm(py::class_<T, Options...>& cls)
{
    cls.def(
        "to_bytes", [](const T& self, UINT schema) { return ToBytes(self, schema); }, py::kw_only(),
        "schema"_a = kNewestSchema,
        "The archive form of the object under the object schema (a document version; UNSET_SCHEMA for "
        "none), as bytes.");
    cls.def_static(
        "from_bytes", [](const py::buffer& data, UINT schema) { return FromBytes<T>(data, schema); }, "data"_a,
        py::kw_only(), "schema"_a = kNewestSchema,
        "An object loaded from its archive form under the object schema. Damaged, short or overlong bytes raise "
        "ArchiveError.");
    cls.def(
        "__reduce__",
        [](const py::handle& self) { return ReduceByArchiveForm(self, ToBytes(self.cast<const T&>(), kNewestSchema)); },
        "Pickles the object through its archive form (any protocol).");
    cls.def("__copy__", [](const T& self) { return T(self); }, "A copy.");
    cls.def(
        "__deepcopy__", [](const T& self, const py::dict&) { return T(self); }, "memo"_a,
        "A copy (objects hold their content by value, so a copy is deep).");
}

// --- numpy arrays of points

// Point3d arrays cross as float32 arrays of shape (n, 3); anything numpy can
// turn into one is taken (with a conversion when it is not already one).
using FloatRows = py::array_t<float, py::array::c_style | py::array::forcecast>;
using DoubleRows = py::array_t<double, py::array::c_style | py::array::forcecast>;

// Raises ValueError unless the array has shape (n, columns).
void CheckRows(const py::array& a, py::ssize_t columns, const char* what);
// Raises ValueError when a value is not finite.
void CheckFinite(double value, const char* what);

// A copy of an (n, 3) array as a library array.
Orvane::Point3d::Array ToPointArray(const FloatRows& rows, const char* what);
// The same, raising ValueError (naming the row) for a coordinate that is not finite.
Orvane::Point3d::Array ToFinitePointArray(const FloatRows& rows, const char* what);
// The same from any object: float32 and float64 numpy arrays of shape (n, 3)
// are read in place whatever their strides (no temporary array), anything
// else through FloatRows; TypeError when it cannot be an array of numbers.
Orvane::Point3d::Array ToPointArray(py::handle src, const char* what);
Orvane::Point3d::Array ToFinitePointArray(py::handle src, const char* what);
// Raises ValueError when a coordinate of the point is not finite.
void CheckFinite(const Orvane::Point3d& p, const char* what);
// The library array as a float32 (n, 3) array that owns it: no copy.
py::array_t<float> ToNumpy(Orvane::Point3d::Array&& points);
// Point2d arrays cross as float64 arrays of shape (n, 2).
Orvane::Point2d::Array ToPoint2dArray(const DoubleRows& rows, const char* what);
py::array_t<double> ToNumpy(Orvane::Point2d::Array&& points);

// Bounds-checked index for __getitem__ and friends: negative indices count
// from the end; IndexError outside.
int CheckIndex(py::ssize_t index, int size);

// The sequence protocol of a library array (CArray and its kin): len(),
// indexing with negative indices and IndexError, assignment, iteration;
// elements are handed out as copies. A resizable array also gets Add,
// RemoveAt and RemoveAll; arrays that lend their storage to numpy views keep
// their size, so that a view never outlives the storage it shows.
template <class Array, class Element, class... Options>
void DefSequence(py::class_<Array, Options...>& cls, bool resizable)
{
    cls.def("__len__", &Array::GetSize, "The number of elements.");
    cls.def("GetSize", &Array::GetSize, "The number of elements.");
    cls.def(
        "__getitem__",
        [](const Array& a, py::ssize_t i) { return Element(a[CheckIndex(i, a.GetSize())]); }, "index"_a,
        "A copy of element `index` (negative indices count from the end); IndexError outside.");
    cls.def(
        "__setitem__",
        [](Array& a, py::ssize_t i, const Element& value) { a[CheckIndex(i, a.GetSize())] = value; }, "index"_a,
        "value"_a, "Replaces element `index`; IndexError outside.");
    cls.def(
        "__iter__",
        [](const Array& a) {
            py::list items;
            for (int i = 0; i < a.GetSize(); ++i)
                items.append(py::cast(Element(a[i])));
            return py::iter(items);
        },
        "Iterates over copies of the elements.");
    if (!resizable)
        return;
    cls.def(
        "Add", [](Array& a, const Element& value) { return a.Add(value); }, "value"_a,
        "Appends the element and returns its index.");
    cls.def(
        "RemoveAt", [](Array& a, int index, int count) { a.RemoveAt(index, count); }, "index"_a, "count"_a = 1,
        "Removes `count` elements from `index` on (a range outside the array is clipped or ignored).");
    cls.def("RemoveAll", &Array::RemoveAll, "Removes every element.");
}

// The arithmetic that points and matrices share: sums, differences, the
// componentwise or matrix product, and scaling by a number.
template <class T>
void DefLinearArithmetic(py::class_<T>& c)
{
    c.def(py::self + py::self);
    c.def(py::self - py::self);
    c.def(py::self * py::self);
    c.def(py::self * double());
    c.def(double() * py::self);
    c.def(py::self / double());
}

// GetName and SetName of a class from its accessor pair, with a docstring
// naming what they reach.
#define ORVPY_ACCESSORS(cls, Type, Name, what)                                                                     \
    cls.def("Get" #Name, &Type::Get##Name, "The " what ".");                                                       \
    cls.def("Set" #Name, &Type::Set##Name, "value"_a, "Sets the " what ".")

// A repr that never raises: the library's text (any bytes) as a Python
// string literal, bytes that are not UTF-8 escaped.
std::string ReprText(const CString& text);
// The repr of an object showing its value: its class and what its argument-free
// Get accessors return (orvcore._value_repr).
py::str ValueRepr(const py::handle& self);

// --- the bindings of each subsystem (one source file each)
// --- functions called without pybind11's dispatcher
//
// Calls that take less time than pybind11's dispatch (argument matching,
// overloads, keyword handling: about a microsecond) are bound as plain
// CPython functions with the vectorcall convention. Their docstring opens
// with the signature line, so that inspect.signature and the stub checks see
// the same parameters as for any other function.

// Puts the arguments of a call into `out` in the order of `names` (missing
// ones as nullptr); false with TypeError set for too many, unknown, repeated
// or missing required arguments.
bool ParseArguments(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, const char* function,
                    std::initializer_list<const char*> names, std::size_t required, PyObject** out);

// The body's new reference, or nullptr with the Python exception that a
// pybind11 function would raise for the C++ exception it threw.
template <class Body>
PyObject* CallTranslated(Body&& body) noexcept
{
    try {
        return body().release().ptr();
    } catch (py::error_already_set& e) {
        e.restore();
    } catch (const py::builtin_exception& e) {
        e.set_error();
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "unknown C++ exception");
    }
    return nullptr;
}

// Whether an optional argument of ParseArguments was given (not missing, not None).
inline bool Given(PyObject* argument)
{
    return argument != nullptr && argument != Py_None;
}

// `work()` for `points` points: with the GIL held for small sets, which take
// less time than handing it over and back, without it for large ones.
template <class Work>
auto WithoutGilWhenLarge(int points, Work&& work) -> decltype(work())
{
    if (points < 4096)
        return work();
    py::gil_scoped_release released;
    return work();
}

// Adds the function of `def` (which must outlive the module) to the module.
void AddFunction(py::module_& m, PyMethodDef& def);

void BindArrays(py::module_& m);
void BindGeometry(py::module_& m);
void BindMatrices(py::module_& m);
void BindFitting(py::module_& m);
void BindColor(py::module_& m);
void BindPrimitives(py::module_& m);
void BindShapes(py::module_& m);
void BindScene(py::module_& m);
void BindText(py::module_& m);
void BindNumerics(py::module_& m);
void BindSpatial(py::module_& m);

} // namespace orvpy
