// Point arrays between numpy and the library, and the library's own point
// arrays as Python sequences.

#include "Bindings.h"

#include <cmath>
#include <cstring>

using namespace Orvane;

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
