// Point3d, Point2d and the measures on points.

#include "Bindings.h"

#include "orvcore/geometry/Measures.h"
#include "orvcore/numerics/RandomSequences.h"

#include <cstdio>

using namespace Orvane;

namespace orvpy {

namespace {

std::string Number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

// A point from any sequence numpy reads as `n` numbers.
template <class Point, int n>
Point PointFromSequence(const DoubleRows& values)
{
    if (values.ndim() != 1 || values.shape(0) != n)
        throw py::value_error("a point needs exactly " + std::to_string(n) + " coordinates");
    if constexpr (n == 3)
        return Point(values.at(0), values.at(1), values.at(2));
    else
        return Point(values.at(0), values.at(1));
}

// Sequence protocol of a point: len() is its dimension, indexing is checked.
template <class Point, class Scalar, int n>
void DefCoordinates(py::class_<Point>& cls)
{
    cls.def("__len__", [](const Point&) { return n; }, "The number of coordinates.");
    cls.def(
        "__getitem__", [](const Point& p, py::ssize_t i) { return static_cast<double>(p[CheckIndex(i, n)]); },
        "index"_a, "Coordinate `index`; IndexError outside.");
    cls.def(
        "__setitem__",
        [](Point& p, py::ssize_t i, double v) { p[CheckIndex(i, n)] = static_cast<Scalar>(v); }, "index"_a,
        "value"_a, "Sets coordinate `index`; IndexError outside.");
    cls.def(
        "__iter__",
        [](const Point& p) {
            py::list values;
            for (int i = 0; i < n; ++i)
                values.append(static_cast<double>(p[i]));
            return py::iter(values);
        },
        "Iterates over the coordinates.");
    cls.def_buffer([](Point& p) {
        return py::buffer_info(&p[0], sizeof(Scalar), py::format_descriptor<Scalar>::format(), 1, {n},
                               {static_cast<py::ssize_t>(sizeof(Scalar))});
    });
}

void BindPoint3d(py::module_& m)
{
    py::class_<Point3d> c(m, "Point3d", py::buffer_protocol(),
                          "A point or vector in space: three float coordinates with arithmetic in double precision. "
                          "Made from x, y, z or from any sequence of three numbers (tuples, lists and numpy arrays "
                          "are taken wherever a Point3d is expected); np.asarray(p) is a float32 view of it.");
    c.def(py::init<>(), "The origin.");
    c.def(py::init<double, double, double>(), "x"_a, "y"_a, "z"_a, "The point (x, y, z), rounded to floats.");
    c.def(py::init(&PointFromSequence<Point3d, 3>), "xyz"_a, "The point of a sequence of three numbers.");
    DefCoordinates<Point3d, float, 3>(c);
    c.def("__repr__", [](const Point3d& p) {
        return "Point3d(" + Number(p.GetX()) + ", " + Number(p.GetY()) + ", " + Number(p.GetZ()) + ")";
    });
    c.def("GetX", &Point3d::GetX, "The x coordinate.");
    c.def("GetY", &Point3d::GetY, "The y coordinate.");
    c.def("GetZ", &Point3d::GetZ, "The z coordinate.");
    const auto self = py::return_value_policy::reference_internal;
    c.def("SetX", &Point3d::SetX, "x"_a, self, "Sets x; returns the point.");
    c.def("SetY", &Point3d::SetY, "y"_a, self, "Sets y; returns the point.");
    c.def("SetZ", &Point3d::SetZ, "z"_a, self, "Sets z; returns the point.");
    c.def("SetXYZ", py::overload_cast<double, double, double>(&Point3d::SetXYZ), "x"_a, "y"_a, "z"_a, self,
          "Sets the three coordinates; returns the point.");
    c.def("GetXYZ", [](const Point3d& p) { return py::make_tuple(p.GetX(), p.GetY(), p.GetZ()); },
          "The coordinates as a tuple (x, y, z).");
    c.def("Sum", &Point3d::Sum, "x + y + z.");
    c.def("SumSquares", &Point3d::SumSquares, "x^2 + y^2 + z^2.");
    c.def("SumPowers", &Point3d::SumPowers, "n"_a, "x^|n| + y^|n| + z^|n|.");
    c.def("Length", &Point3d::Length, "The length of the vector.");
    c.def("Length2", &Point3d::Length2, "The squared length of the vector.");
    c.def("Dot", &Point3d::Dot, "q"_a, "The dot product with q.");
    c.def("Cross", &Point3d::Cross, "q"_a, "The cross product with q (a unit perpendicular when it vanishes).");
    c.def("MidPoint", &Point3d::MidPoint, "q"_a, "The point halfway to q.");
    c.def("Direction", &Point3d::Direction, "q"_a, "The vector from this point to q.");
    c.def("Maximum", &Point3d::Maximum, "q"_a, self, "Takes the larger coordinates of the two; returns the point.");
    c.def("Minimum", &Point3d::Minimum, "q"_a, self, "Takes the smaller coordinates of the two; returns the point.");
    c.def("ChangeLength", &Point3d::ChangeLength, "length"_a, self,
          "Scales to the length (a zero vector is kept); returns the point.");
    c.def("Normalize", &Point3d::Normalize, self, "Scales to unit length (a zero vector is kept); returns the point.");
    c.def("RotateAboutX", &Point3d::RotateAboutX, "degrees"_a, self, "Right-handed rotation about x; returns the point.");
    c.def("RotateAboutY", &Point3d::RotateAboutY, "degrees"_a, self, "Right-handed rotation about y; returns the point.");
    c.def("RotateAboutZ", &Point3d::RotateAboutZ, "degrees"_a, self, "Right-handed rotation about z; returns the point.");
    c.def("Distance", &Point3d::Distance, "q"_a, "The distance to q.");
    c.def("Distance2", &Point3d::Distance2, "q"_a, "The squared distance to q.");
    c.def("DistanceToLine", &Point3d::DistanceToLine, "a"_a, "b"_a,
          "The distance to the line through a and b (0 when they coincide).");
    c.def(
        "DistanceToPlane",
        [](const Point3d& p, const Point3d& a, const Point3d& b) {
            int side = 0;
            const double d = p.DistanceToPlane(a, b, side);
            return py::make_tuple(d, side);
        },
        "a"_a, "b"_a,
        "(distance, side) to the plane through a with normal b - a; side is +1 on the normal's side, -1 on the "
        "other, 0 when the normal is degenerate.");
    c.def("ProjectToLine", &Point3d::ProjectToLine, "a"_a, "b"_a, "The foot of the perpendicular on the line a-b.");
    c.def(
        "ProjectToPlane",
        [](const Point3d& p, const Point3d& a, const Point3d& b) {
            double d = 0.0;
            int side = 0;
            const Point3d q = p.ProjectToPlane(a, b, d, side);
            return py::make_tuple(q, d, side);
        },
        "a"_a, "b"_a, "(projection, distance, side) on the plane through a with normal b - a.");
    c.def("Normal", &Point3d::Normal, "A unit vector perpendicular to this one.");
    c.def("Compare", &Point3d::Compare, "q"_a, "tolerance"_a,
          "True when the coordinates differ by at most the tolerance in total.");
    c.def("CheckInsideBox", &Point3d::CheckInsideBox, "lo"_a, "hi"_a, "True when lo <= p <= hi in every coordinate.");
    c.def_static("Random", py::overload_cast<>(&Point3d::Random),
                 "A random unit vector from the process-wide default generator.");
    c.def("Randomize", py::overload_cast<>(&Point3d::Randomize), self,
          "New random coordinates keeping the length when it is above 0; returns the point.");
    DefLinearArithmetic(c);
    c.def(py::self / py::self);
    c.def(-py::self);
    c.def(+py::self);
    c.def(py::self += py::self);
    c.def(py::self -= py::self);
    c.def(py::self *= double());
    c.def(py::self /= double());
    c.def(py::self == py::self);
    c.def(py::self != py::self);
    c.attr("origin") = Point3d::origin;
    c.attr("iVector") = Point3d::iVector;
    c.attr("jVector") = Point3d::jVector;
    c.attr("kVector") = Point3d::kVector;
    c.attr("minimum") = Point3d::minimum;
    c.attr("maximum") = Point3d::maximum;
    DefArchiveForm(c);
}

void BindPoint2d(py::module_& m)
{
    py::class_<Point2d> c(m, "Point2d", py::buffer_protocol(),
                          "A point or vector in the plane with double coordinates. Made from x, y or any sequence of "
                          "two numbers; np.asarray(p) is a float64 view of it.");
    c.def(py::init<>(), "The origin.");
    c.def(py::init<double, double>(), "x"_a, "y"_a, "The point (x, y).");
    c.def(py::init(&PointFromSequence<Point2d, 2>), "xy"_a, "The point of a sequence of two numbers.");
    DefCoordinates<Point2d, double, 2>(c);
    c.def("__repr__", [](const Point2d& p) { return "Point2d(" + Number(p.GetX()) + ", " + Number(p.GetY()) + ")"; });
    c.def("GetX", &Point2d::GetX, "The x coordinate.");
    c.def("GetY", &Point2d::GetY, "The y coordinate.");
    c.def("SetX", &Point2d::SetX, "x"_a, "Sets x.");
    c.def("SetY", &Point2d::SetY, "y"_a, "Sets y.");
    c.def("SetXY", py::overload_cast<double, double>(&Point2d::SetXY), "x"_a, "y"_a, "Sets both coordinates.");
    c.def("Direction", &Point2d::Direction, "q"_a, "The vector from this point to q.");
    c.def("MidPoint", &Point2d::MidPoint, "q"_a, "The point halfway to q.");
    c.def("Dot", &Point2d::Dot, "q"_a, "The dot product with q.");
    c.def("Distance", &Point2d::Distance, "q"_a, "The distance to q.");
    c.def("Distance2", &Point2d::Distance2, "q"_a, "The squared distance to q.");
    c.def("Length", &Point2d::Length, "The length of the vector.");
    c.def("Length2", &Point2d::Length2, "The squared length.");
    c.def("ChangeLength", &Point2d::ChangeLength, "length"_a, "Scales to the length (a zero vector is kept).");
    c.def("Normalize", &Point2d::Normalize, "Scales to unit length (a zero vector is kept).");
    c.def("Rotate", &Point2d::Rotate, "degrees"_a, "Counter-clockwise rotation about the origin.");
    DefLinearArithmetic(c);
    c.def(-py::self);
    c.def("__eq__", [](const Point2d& a, const Point2d& b) { return (a == b) != 0; }, py::is_operator());
    c.def("__ne__", [](const Point2d& a, const Point2d& b) { return (a != b) != 0; }, py::is_operator());
    DefArchiveForm(c);
}

void BindMeasures(py::module_& m)
{
    m.def("Distance", py::overload_cast<const Point3d&, const Point3d&>(&Distance), "p"_a, "q"_a,
          "The distance between two points.");
    m.def("Distance2", py::overload_cast<const Point3d&, const Point3d&>(&Distance2), "p"_a, "q"_a,
          "The squared distance between two points.");
    m.def("DistanceToLine", &DistanceToLine, "p"_a, "a"_a, "b"_a,
          "The distance from p to the line through a and b (0 when they coincide).");
    m.def("Angle", py::overload_cast<const Point3d&, const Point3d&, const Point3d&>(&Angle), "p1"_a, "p2"_a,
          "p3"_a, "The angle at p2 between p1 and p3, in degrees, 0 to 180.");
    m.def("Dihedral", &Dihedral, "p1"_a, "p2"_a, "p3"_a, "p4"_a,
          "The torsion angle about the axis p2-p3, in degrees, -180 to 180.");
    m.def("Torsion", &Torsion, "p1"_a, "p2"_a, "p3"_a, "p4"_a, "The same as Dihedral.");
    m.def("CrossProduct", py::overload_cast<const Point3d&, const Point3d&>(&CrossProduct), "a"_a, "b"_a,
          "a x b; a unit vector perpendicular to a when the product vanishes.");
    m.def("DotProduct", &DotProduct, "p"_a, "q"_a, "The dot product.");
    m.def("Normal", py::overload_cast<const Point3d&, const Point3d&, const Point3d&>(&Normal), "p1"_a, "p2"_a,
          "p3"_a, "The unit normal of the triangle p1, p2, p3.");
    m.def("Normal", py::overload_cast<const Point3d&>(&Normal), "p"_a, "A unit vector perpendicular to p.");
    m.def("Compare", py::overload_cast<const Point3d&, const Point3d&, double>(&Compare), "p"_a, "q"_a,
          "tolerance"_a, "True when the coordinates differ by at most the tolerance in total.");
    m.def("CheckPointInsideBox", &CheckPointInsideBox, "lo"_a, "hi"_a, "p"_a,
          "True when lo <= p <= hi in every coordinate.");
    m.def("Angle", py::overload_cast<const Point2d&, const Point2d&, const Point2d&>(&Angle), "p1"_a, "p2"_a,
          "p3"_a, "The angle at p2 between p1 and p3 in the plane, in degrees, 0 to 180.");
}

} // namespace

void BindGeometry(py::module_& m)
{
    BindPoint3d(m);
    BindPoint2d(m);
    BindMeasures(m);
}

} // namespace orvpy
