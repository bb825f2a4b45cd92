// Matrix3x3 and Matrix4x4, with numpy conversion both ways.

#include "Bindings.h"

#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Matrix4x4.h"

#include <cmath>
#include <sstream>

using namespace Orvane;

namespace orvpy {

namespace {

// p * M for every row p of an (n, 3) array, in double precision: for a 4x4
// matrix the projective transform (a point sent to infinity becomes
// Point3d.maximum), for a 3x3 the plain product. Out has the input's rows.
template <int n, class In, class Out>
void TransformRows(const double* m, const In* in, Out* out, py::ssize_t rows)
{
    const bool affine = n == 3 || (m[3] == 0 && m[7] == 0 && m[11] == 0 && m[15] == 1);
    const double m00 = m[0], m01 = m[1], m02 = m[2];
    const double m10 = m[n], m11 = m[n + 1], m12 = m[n + 2];
    const double m20 = m[2 * n], m21 = m[2 * n + 1], m22 = m[2 * n + 2];
    const double t0 = n == 4 ? m[12] : 0.0, t1 = n == 4 ? m[13] : 0.0, t2 = n == 4 ? m[14] : 0.0;
    for (py::ssize_t k = 0; k < rows; ++k) {
        const double x = in[3 * k], y = in[3 * k + 1], z = in[3 * k + 2];
        double a = x * m00 + y * m10 + z * m20 + t0;
        double b = x * m01 + y * m11 + z * m21 + t1;
        double c = x * m02 + y * m12 + z * m22 + t2;
        if (!affine) {
            const double w = x * m[3] + y * m[7] + z * m[11] + m[15];
            if (std::fabs(w) <= 2.220446049250313e-16) {
                a = b = c = static_cast<double>(Point3d::maximum.GetX());
            } else {
                a /= w;
                b /= w;
                c /= w;
            }
        }
        out[3 * k] = static_cast<Out>(a);
        out[3 * k + 1] = static_cast<Out>(b);
        out[3 * k + 2] = static_cast<Out>(c);
    }
}

// The images of an (n, 3) array of points as a new array: float32 rows stay
// float32, anything else is taken as float64.
template <class Matrix, int n>
py::object TransformArray(const Matrix& mat, const py::array& points)
{
    if (points.ndim() == 1) // one point
        return py::cast(mat.Transform(points.cast<Point3d>()));
    const double* m = mat;
    if (py::isinstance<py::array_t<float>>(points)) {
        const auto in = py::array_t<float, py::array::c_style | py::array::forcecast>::ensure(points);
        CheckRows(in, 3, "points");
        py::array_t<float> out({in.shape(0), py::ssize_t(3)});
        const float* src = in.data();
        float* dst = out.mutable_data();
        const py::ssize_t rows = in.shape(0);
        {
            py::gil_scoped_release released;
            TransformRows<n>(m, src, dst, rows);
        }
        return std::move(out);
    }
    const DoubleRows in = DoubleRows::ensure(points);
    if (!in)
        throw py::error_already_set();
    CheckRows(in, 3, "points");
    py::array_t<double> out({in.shape(0), py::ssize_t(3)});
    const double* src = in.data();
    double* dst = out.mutable_data();
    const py::ssize_t rows = in.shape(0);
    {
        py::gil_scoped_release released;
        TransformRows<n>(m, src, dst, rows);
    }
    return std::move(out);
}

// What the two matrix classes share: made from an (n, n) array, a float64
// (n, n) view by np.asarray, checked element access, the common setters and
// arithmetic, and p * M from the point's side.
template <class Matrix, int n>
void DefSquare(py::class_<Matrix>& c)
{
    c.def(py::init<>(), "The null matrix.");
    c.def(py::init([](const DoubleRows& values) {
              CheckRows(values, n, "a matrix");
              if (values.shape(0) != n)
                  throw py::value_error("a matrix must have shape (" + std::to_string(n) + ", " +
                                        std::to_string(n) + ")");
              return Matrix(values.data());
          }),
          "elements"_a, "The matrix of an array of its rows.");
    c.def(py::init<Axis, double>(), "axis"_a, "degrees"_a, "The rotation about a coordinate axis.");
    c.def(py::init<const Point3d&, double>(), "axis"_a, "degrees"_a, "The rotation about a direction.");
    c.def(py::init<const Point3d&, const Point3d&>(), "start"_a, "end"_a,
          "The rotation turning the direction of `start` into that of `end`.");
    c.def_buffer([](Matrix& mat) {
        return py::buffer_info(static_cast<double*>(mat), sizeof(double), py::format_descriptor<double>::format(), 2,
                               {n, n}, {n * static_cast<py::ssize_t>(sizeof(double)), static_cast<py::ssize_t>(sizeof(double))});
    });
    c.def(
        "Get",
        [](const Matrix& mat, py::ssize_t row, py::ssize_t col) {
            return mat.Get(CheckIndex(row, n), CheckIndex(col, n));
        },
        "row"_a, "col"_a, "Element (row, col); IndexError outside.");
    c.def(
        "__getitem__",
        [](const Matrix& mat, std::pair<py::ssize_t, py::ssize_t> rc) {
            return mat.Get(CheckIndex(rc.first, n), CheckIndex(rc.second, n));
        },
        "index"_a, "Element m[row, col]; IndexError outside.");
    c.def(
        "__setitem__",
        [](Matrix& mat, std::pair<py::ssize_t, py::ssize_t> rc, double v) {
            mat.Set(CheckIndex(rc.first, n), CheckIndex(rc.second, n), v);
        },
        "index"_a, "value"_a, "Sets element m[row, col]; IndexError outside.");
    c.def("__len__", [](const Matrix&) { return n; }, "The number of rows.");
    c.def(
        "Set", [](Matrix& mat, int row, int col, double v) -> Matrix& { return mat.Set(row, col, v); }, "row"_a,
        "col"_a, "value"_a, py::return_value_policy::reference_internal,
        "Sets element (row, col); nothing happens outside the matrix. Returns the matrix.");
    const auto self = py::return_value_policy::reference_internal;
    c.def("SetIdentity", &Matrix::SetIdentity, self, "Becomes the identity; returns the matrix.");
    c.def("SetNull", &Matrix::SetNull, self, "Becomes the null matrix; returns the matrix.");
    c.def("SetScale", py::overload_cast<double>(&Matrix::SetScale), "s"_a, self, "A uniform scaling.");
    c.def("SetScale", py::overload_cast<double, double, double>(&Matrix::SetScale), "sx"_a, "sy"_a, "sz"_a, self,
          "A scaling per axis.");
    c.def("SetReflection", &Matrix::SetReflection, "axis"_a, self, "The reflection across the axis's plane.");
    c.def("SetRotation", py::overload_cast<Axis, double>(&Matrix::SetRotation), "axis"_a, "degrees"_a, self,
          "The rotation about a coordinate axis.");
    c.def("SetRotation", py::overload_cast<const Point3d&, double>(&Matrix::SetRotation), "axis"_a, "degrees"_a,
          self, "The rotation about a direction.");
    c.def("SetRotation", py::overload_cast<const Point3d&, const Point3d&>(&Matrix::SetRotation), "start"_a,
          "end"_a, self, "The rotation turning the direction of `start` into that of `end`.");
    c.def("SetRotation", py::overload_cast<const Point3d&>(&Matrix::SetRotation), "direction"_a, self,
          "An orthonormal right-handed frame whose third row is the direction normalised.");
    c.def("FractionalToCartesian",
          py::overload_cast<double, double, double, double, double, double>(&Matrix::FractionalToCartesian), "a"_a,
          "b"_a, "c"_a, "alpha"_a, "beta"_a, "gamma"_a, self,
          "The fractional-to-Cartesian matrix of a crystal cell (unchanged when an argument is 0).");
    c.def("Transpose", &Matrix::Transpose, self, "Transposes in place; returns the matrix.");
    c.def("Invert", &Matrix::Invert, self, "Inverts in place (unchanged when singular); returns the matrix.");
    c.def("Rotate", py::overload_cast<const Point3d&>(&Matrix::Rotate, py::const_), "p"_a,
          "p times the upper-left 3x3 block.");
    c.def("Transform", py::overload_cast<const Point3d&>(&Matrix::Transform, py::const_), "p"_a,
          "The image of p (p * M).");
    c.def("Transform", &TransformArray<Matrix, n>, "points"_a,
          "The images (p * M) of the rows of an (n, 3) array as a new (n, 3) array: float32 stays float32, other "
          "dtypes give float64. Computed in double precision without the GIL.");
    DefLinearArithmetic(c);
    c.def(py::self += py::self);
    c.def(py::self -= py::self);
    c.def(py::self *= py::self);
    c.def("__matmul__", [](const Matrix& a, const Matrix& b) { return a * b; }, py::is_operator(),
          "The product: a applied first.");
    c.def("__rmul__", [](const Matrix& mat, const Point3d& p) { return p * mat; }, py::is_operator(),
          "p * M: the image of the point.");
    c.def("__eq__", [](const Matrix& a, const Matrix& b) {
        for (int i = 0; i < n * n; ++i)
            if (static_cast<const double*>(a)[i] != static_cast<const double*>(b)[i])
                return false;
        return true;
    }, py::is_operator(), "True when every element is equal.");
    c.def("__repr__", [](const Matrix& mat) {
        std::ostringstream os;
        os.precision(9);
        os << (n == 3 ? "Matrix3x3([" : "Matrix4x4([");
        for (int r = 0; r < n; ++r) {
            os << (r ? ", [" : "[");
            for (int k = 0; k < n; ++k)
                os << (k ? ", " : "") << mat.Get(r, k);
            os << "]";
        }
        os << "])";
        return os.str();
    });
    DefArchiveForm(c);
}

} // namespace

void BindMatrices(py::module_& m)
{
    py::enum_<Axis>(m, "Axis", "A coordinate axis.")
        .value("XAxis", XAxis)
        .value("YAxis", YAxis)
        .value("ZAxis", ZAxis)
        .export_values();

    py::class_<Matrix3x3> m3(m, "Matrix3x3", py::buffer_protocol(),
                             "A 3x3 matrix of doubles, row-major. Points are row vectors multiplied on the left "
                             "(p * M), so A * B applies A first. Made from a (3, 3) array; np.asarray(M) is a view.");
    DefSquare<Matrix3x3, 3>(m3);
    m3.def_static(
        "PCA",
        [](const FloatRows& rows) {
            const Point3d::Array points = ToFinitePointArray(rows, "points");
            Point3d centroid, a1, a2, a3;
            double mx1 = 0, mn1 = 0, mx2 = 0, mn2 = 0, mx3 = 0, mn3 = 0;
            {
                py::gil_scoped_release released;
                Matrix3x3::PCA(points, centroid, a1, a2, a3, mx1, mn1, mx2, mn2, mx3, mn3);
            }
            return py::make_tuple(centroid, a1, a2, a3, py::make_tuple(mx1, mn1), py::make_tuple(mx2, mn2),
                                  py::make_tuple(mx3, mn3));
        },
        "points"_a,
        "Principal axes of an (n, 3) array of points: (centroid, axis1, axis2, axis3, (max1, min1), (max2, min2), "
        "(max3, min3)), the unit axes in order of decreasing spread and the farthest reach of the points along "
        "+axisK and -axisK.");
    m3.def_static(
        "BestFittingLine",
        [](const FloatRows& rows) {
            const Point3d::Array points = ToFinitePointArray(rows, "points");
            Point3d start, end;
            Matrix3x3::BestFittingLine(points, start, end);
            return py::make_tuple(start, end);
        },
        "points"_a, "(start, end): the segment of the first principal axis that spans the points.");
    m3.def_static(
        "BestFittingPlane",
        [](const FloatRows& rows) {
            const Point3d::Array points = ToFinitePointArray(rows, "points");
            Point3d::Array corners;
            corners.SetSize(4);
            Matrix3x3::BestFittingPlane(points, corners.GetData());
            return ToNumpy(std::move(corners));
        },
        "points"_a,
        "The (4, 3) corners, in order around it, of the rectangle in the plane of the first two principal axes "
        "that spans the points.");

    py::class_<Matrix4x4> m4(m, "Matrix4x4", py::buffer_protocol(),
                             "A 4x4 homogeneous transformation of doubles, row-major; row 3 holds the translation. "
                             "Points are row vectors multiplied on the left. Made from a (4, 4) array; "
                             "np.asarray(M) is a view.");
    DefSquare<Matrix4x4, 4>(m4);
    m4.def(py::init<const Point3d&, const Point3d&, double>(), "axis"_a, "center"_a, "degrees"_a,
           "The rotation about the line through center along axis.");
    m4.def("SetTranslation", py::overload_cast<const Point3d&>(&Matrix4x4::SetTranslation), "offset"_a,
           py::return_value_policy::reference_internal, "A translation by the offset; returns the matrix.");
    m4.def("GetTranslation", py::overload_cast<>(&Matrix4x4::GetTranslation, py::const_), "The translation row.");
    m4.def("SetRotation", py::overload_cast<const Point3d&, const Point3d&, double>(&Matrix4x4::SetRotation),
           "axis"_a, "center"_a, "degrees"_a, py::return_value_policy::reference_internal,
           "The rotation about the line through center along axis.");
    m4.def(py::init([](const Matrix3x3& mat) {
               Matrix4x4 h;
               h = mat;
               return h;
           }),
           "matrix"_a, "The homogeneous form of a 3x3 matrix: it in the upper-left block, identity elsewhere.");
}

} // namespace orvpy
