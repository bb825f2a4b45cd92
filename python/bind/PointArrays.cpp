// Point arrays between numpy and the library, and the library's own point
// arrays as Python sequences.

#include "Bindings.h"

#include <cmath>
#include <cstring>

using namespace Orvane;

namespace pybind11 {
namespace detail {

namespace {

// Reads a one-dimensional buffer of n numbers of a plain numeric format;
// false (with nothing raised) for anything else.
bool LoadBuffer(handle src, double* out, int n)
{
    Py_buffer view;
    if (PyObject_GetBuffer(src.ptr(), &view, PyBUF_FORMAT | PyBUF_STRIDES) != 0) {
        PyErr_Clear();
        return false;
    }
    bool ok = view.ndim == 1 && view.shape[0] == n && view.format != nullptr;
    if (ok) {
        const char* format = view.format;
        if (*format == '<' || *format == '=' || *format == '@')
            ++format;
        const char* base = static_cast<const char*>(view.buf);
        for (int i = 0; ok && i < n; ++i) {
            const char* at = base + i * view.strides[0];
            switch (format[1] == '\0' ? format[0] : '?') {
            case 'd': { double v; std::memcpy(&v, at, sizeof v); out[i] = v; break; }
            case 'f': { float v; std::memcpy(&v, at, sizeof v); out[i] = static_cast<double>(v); break; }
            case 'i': { std::int32_t v; std::memcpy(&v, at, sizeof v); out[i] = v; break; }
            case 'l': case 'q': { std::int64_t v; std::memcpy(&v, at, sizeof v); out[i] = static_cast<double>(v); break; }
            default: ok = false;
            }
        }
    }
    PyBuffer_Release(&view);
    return ok;
}

} // namespace

bool LoadNumbers(handle src, double* out, int n)
{
    PyObject* o = src.ptr();
    if (PyUnicode_Check(o) || PyBytes_Check(o) || PyByteArray_Check(o))
        return false;
    if (PyObject_CheckBuffer(o) && LoadBuffer(src, out, n))
        return true;
    if (!PySequence_Check(o))
        return false;
    const Py_ssize_t size = PySequence_Size(o);
    if (size != n) {
        PyErr_Clear();
        return false;
    }
    for (int i = 0; i < n; ++i) {
        const object item = reinterpret_steal<object>(PySequence_GetItem(o, i));
        if (!item || PyUnicode_Check(item.ptr())) {
            PyErr_Clear();
            return false;
        }
        const double v = PyFloat_AsDouble(item.ptr());
        if (v == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();
            return false;
        }
        out[i] = v;
    }
    return true;
}

bool LoadMatrix(handle src, double* out, int n)
{
    if (PyUnicode_Check(src.ptr()) || !PySequence_Check(src.ptr()))
        return false;
    const auto rows = array_t<double, array::c_style | array::forcecast>::ensure(src);
    if (!rows) {
        PyErr_Clear();
        return false;
    }
    if (rows.ndim() != 2 || rows.shape(0) != n || rows.shape(1) != n)
        return false;
    std::memcpy(out, rows.data(), sizeof(double) * static_cast<std::size_t>(n * n));
    return true;
}

} // namespace detail
} // namespace pybind11

namespace orvpy {

void CheckRows(const py::array& a, py::ssize_t columns, const char* what)
{
    if (a.ndim() != 2 || a.shape(1) != columns) {
        std::string shape = "(";
        for (py::ssize_t d = 0; d < a.ndim(); ++d)
            shape += (d ? ", " : "") + std::to_string(a.shape(d));
        shape += a.ndim() == 1 ? ",)" : ")";
        throw py::value_error(std::string(what) + " must have shape (n, " + std::to_string(columns) + "), not " +
                              shape);
    }
    if (a.shape(0) > 0x7FFFFFFF)
        throw py::value_error(std::string(what) + " has more rows than a library array holds");
}

void CheckFinite(double value, const char* what)
{
    if (!std::isfinite(value))
        throw py::value_error(std::string(what) + " must be finite");
}

std::string ReprText(const CString& text)
{
    return py::repr(py::cast(text)).cast<std::string>();
}

py::str ValueRepr(const py::handle& self)
{
    return py::module_::import("orvcore").attr("_value_repr")(self);
}

py::tuple ReduceByArchiveForm(const py::handle& self, py::bytes form)
{
    return py::make_tuple(py::module_::import("orvcore").attr("_from_archive"),
                          py::make_tuple(py::type::handle_of(self), std::move(form)));
}

int CheckIndex(py::ssize_t index, int size)
{
    if (index < 0)
        index += size;
    if (index < 0 || index >= size)
        throw py::index_error("index " + std::to_string(index) + " out of range for " + std::to_string(size) +
                              " elements");
    return static_cast<int>(index);
}

namespace {

template <class Array, class Rows>
Array CopyRows(const Rows& rows, py::ssize_t columns, const char* what)
{
    CheckRows(rows, columns, what);
    Array out;
    const int n = static_cast<int>(rows.shape(0));
    out.SetSize(n);
    if (n > 0)
        std::memcpy(static_cast<void*>(out.GetData()), rows.data(), sizeof(out[0]) * static_cast<std::size_t>(n));
    return out;
}

// A numpy array over the elements of a library array that it takes over.
template <class Scalar, class Array>
py::array_t<Scalar> OwningArray(Array&& points, py::ssize_t columns)
{
    const py::ssize_t n = points.GetSize();
    if (n == 0)
        return py::array_t<Scalar>(std::vector<py::ssize_t>{0, columns});
    auto* owner = new Array(std::move(points));
    py::capsule release(owner, [](void* p) { delete static_cast<Array*>(p); });
    Scalar* data = &(*owner)[0][0];
    return py::array_t<Scalar>({n, columns}, {columns * static_cast<py::ssize_t>(sizeof(Scalar)),
                                              static_cast<py::ssize_t>(sizeof(Scalar))},
                               data, release);
}

// A view of a library array's elements as an (n, columns) buffer.
template <class Scalar, class Array>
py::buffer_info RowsBuffer(Array& a, py::ssize_t columns)
{
    const py::ssize_t n = a.GetSize();
    static Scalar empty[1] = {};
    Scalar* data = n > 0 ? &a[0][0] : empty;
    return py::buffer_info(data, sizeof(Scalar), py::format_descriptor<Scalar>::format(), 2, {n, columns},
                           {columns * static_cast<py::ssize_t>(sizeof(Scalar)),
                            static_cast<py::ssize_t>(sizeof(Scalar))});
}

} // namespace

Point3d::Array ToPointArray(const FloatRows& rows, const char* what)
{
    return CopyRows<Point3d::Array>(rows, 3, what);
}

namespace {

Point3d::Array&& CheckFiniteRows(Point3d::Array&& points, const char* what)
{
    for (int k = 0; k < points.GetSize(); ++k)
        if (!std::isfinite(points[k][0]) || !std::isfinite(points[k][1]) || !std::isfinite(points[k][2]))
            throw py::value_error(std::string(what) + " row " + std::to_string(k) + " is not finite");
    return std::move(points);
}

// Rows of three numbers of a numpy array of the scalar type, any strides.
template <class Scalar>
void CopyPointRows(const char* data, py::ssize_t rowStride, py::ssize_t columnStride, Point3d* out, int n)
{
    static_assert(sizeof(Point3d) == 3 * sizeof(float), "points are three packed floats");
    if (columnStride == sizeof(Scalar) && rowStride == 3 * sizeof(Scalar) &&
        reinterpret_cast<std::uintptr_t>(data) % alignof(Scalar) == 0) {
        // C order: one pass over the numbers.
        const auto* in = reinterpret_cast<const Scalar*>(data);
        float* to = &out[0][0];
        for (std::size_t k = 0; k < 3 * static_cast<std::size_t>(n); ++k)
            to[k] = static_cast<float>(in[k]);
        return;
    }
    for (int k = 0; k < n; ++k, data += rowStride) {
        Scalar v[3];
        for (int c = 0; c < 3; ++c)
            std::memcpy(&v[c], data + c * columnStride, sizeof(Scalar));
        out[k] = Point3d(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
    }
}

// Reads a float32 or float64 numpy array of shape (n, 3) in native byte
// order straight from its memory; false for anything else.
bool ReadFloatArray(py::handle src, Point3d::Array& out)
{
    if (!py::isinstance<py::array>(src))
        return false;
    const auto* a = py::detail::array_proxy(src.ptr());
    const auto* d = py::detail::array_descriptor_proxy(a->descr);
    const bool single = d->type_num == py::detail::npy_api::NPY_FLOAT_;
    if (a->nd != 2 || a->dimensions[1] != 3 || a->dimensions[0] > 0x7FFFFFFF || d->byteorder == '>' ||
        (!single && d->type_num != py::detail::npy_api::NPY_DOUBLE_))
        return false;
    const int n = static_cast<int>(a->dimensions[0]);
    out.SetSize(n);
    if (n == 0)
        return true;
    if (single)
        CopyPointRows<float>(a->data, a->strides[0], a->strides[1], out.GetData(), n);
    else
        CopyPointRows<double>(a->data, a->strides[0], a->strides[1], out.GetData(), n);
    return true;
}

} // namespace

Point3d::Array ToPointArray(py::handle src, const char* what)
{
    Point3d::Array points;
    if (ReadFloatArray(src, points))
        return points;
    const FloatRows rows = FloatRows::ensure(src);
    if (!rows) {
        PyErr_Clear();
        throw py::type_error(std::string(what) + " must be an (n, 3) array of numbers");
    }
    return ToPointArray(rows, what);
}

Point3d::Array ToFinitePointArray(const FloatRows& rows, const char* what)
{
    return CheckFiniteRows(CopyRows<Point3d::Array>(rows, 3, what), what);
}

Point3d::Array ToFinitePointArray(py::handle src, const char* what)
{
    return CheckFiniteRows(ToPointArray(src, what), what);
}

void CheckFinite(const Point3d& p, const char* what)
{
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]))
        throw py::value_error(std::string(what) + " must be finite");
}

py::array_t<float> ToNumpy(Point3d::Array&& points)
{
    return OwningArray<float>(std::move(points), 3);
}

Point2d::Array ToPoint2dArray(const DoubleRows& rows, const char* what)
{
    return CopyRows<Point2d::Array>(rows, 2, what);
}

py::array_t<double> ToNumpy(Point2d::Array&& points)
{
    return OwningArray<double>(std::move(points), 2);
}

void BindArrays(py::module_& m)
{
    py::class_<Point3d::Array> p3(m, "Point3dArray", py::buffer_protocol(),
                                  "A growable array of Point3d, as documents store it (the count, then the points' "
                                  "coordinates in one block). Its size is fixed once made; np.asarray() gives a "
                                  "float32 (n, 3) view of it that writes through.");
    p3.def(py::init<>(), "An empty array.");
    p3.def(py::init([](const FloatRows& rows) { return ToPointArray(rows, "points"); }), "points"_a,
           "A copy of an (n, 3) array of points.");
    p3.def_buffer([](Point3d::Array& a) { return RowsBuffer<float>(a, 3); });
    DefSequence<Point3d::Array, Point3d>(p3, false);
    p3.def("__repr__", [](const Point3d::Array& a) { return "Point3dArray(" + std::to_string(a.GetSize()) + " points)"; });
    DefArchiveForm(p3);

    py::class_<Point2d::Array> p2(m, "Point2dArray", py::buffer_protocol(),
                                  "A growable array of Point2d (the count, then the points' doubles in one block). "
                                  "Its size is fixed once made; np.asarray() gives a float64 (n, 2) view of it.");
    p2.def(py::init<>(), "An empty array.");
    p2.def(py::init([](const DoubleRows& rows) { return ToPoint2dArray(rows, "points"); }), "points"_a,
           "A copy of an (n, 2) array of points.");
    p2.def_buffer([](Point2d::Array& a) { return RowsBuffer<double>(a, 2); });
    DefSequence<Point2d::Array, Point2d>(p2, false);
    p2.def("__repr__", [](const Point2d::Array& a) { return "Point2dArray(" + std::to_string(a.GetSize()) + " points)"; });
    DefArchiveForm(p2);
}

} // namespace orvpy
