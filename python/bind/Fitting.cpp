// Fitting on point sets (superposition, planarity), splines, planes and
// displacement tensors.

#include "Bindings.h"

#include "orvcore/geometry/AnisotropicDisplacement.h"
#include "orvcore/geometry/Plane.h"
#include "orvcore/geometry/Spline.h"
#include "orvcore/geometry/Superposition.h"

using namespace Orvane;

namespace orvpy {

namespace {

// The fits are called in loops over many small sets, where pybind11's
// dispatch would cost as much as the fit: they take their arguments directly.
PyObject* RMSBestFitCall(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    PyObject* arguments[3];
    if (!ParseArguments(args, nargs, kwnames, "RMSBestFit", {"mobile", "target", "coords"}, 2, arguments))
        return nullptr;
    return CallTranslated([&]() {
        Point3d::Array mobile = ToFinitePointArray(arguments[0], "mobile");
        const Point3d::Array target = ToFinitePointArray(arguments[1], "target");
        if (target.GetSize() < mobile.GetSize())
            throw py::value_error("target holds fewer points than mobile");
        // Without other coordinates the copy of mobile is moved itself, which the fit allows.
        const bool other = Given(arguments[2]);
        Point3d::Array coords = other ? ToPointArray(arguments[2], "coords") : Point3d::Array();
        Point3d::Array& moved = other ? coords : mobile;
        WithoutGilWhenLarge(mobile.GetSize(), [&]() { RMSBestFit(mobile, target, moved); });
        return ToNumpy(std::move(moved));
    });
}

void BindSuperposition(py::module_& m)
{
    static PyMethodDef fit = {
        "RMSBestFit", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&RMSBestFitCall)),
        METH_FASTCALL | METH_KEYWORDS,
        "RMSBestFit(mobile, target, coords=None)\n--\n\n"
        "Finds the rigid motion that lays the (n, 3) points `mobile` onto the first n points of `target` with "
        "the least RMSD and returns its image of `coords` (of `mobile` when not given) as a new float32 (m, 3) "
        "array. ValueError when target holds fewer points than mobile."};
    AddFunction(m, fit);
    m.def(
        "IsPlanar",
        [](const FloatRows& rows, double tolerance) {
            CheckFinite(tolerance, "tolerance");
            const Point3d::Array points = ToFinitePointArray(rows, "points");
            py::gil_scoped_release released;
            return IsPlanar(points, tolerance);
        },
        "points"_a, "tolerance"_a,
        "True when no point lies farther than the tolerance from the plane through the centroid across the axis "
        "of least spread; fewer than three points are planar.");
}

PyObject* SuperposeCall(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames)
{
    PyObject* arguments[3];
    if (!ParseArguments(args, nargs, kwnames, "Superpose", {"mobile", "target", "weights"}, 2, arguments))
        return nullptr;
    return CallTranslated([&]() {
        const Point3d::Array mobile = ToPointArray(arguments[0], "mobile");
        const Point3d::Array target = ToPointArray(arguments[1], "target");
        const bool weighted = Given(arguments[2]);
        DoubleArray weights;
        if (weighted) {
            const DoubleRows rows = DoubleRows::ensure(arguments[2]);
            if (!rows) {
                PyErr_Clear();
                throw py::type_error("weights must be an array of numbers");
            }
            if (rows.ndim() != 1)
                throw py::value_error("weights must be a one-dimensional array");
            weights.SetSize(static_cast<int>(rows.shape(0)));
            std::copy(rows.data(), rows.data() + rows.shape(0), weights.GetData());
        }
        SuperpositionResult result = WithoutGilWhenLarge(mobile.GetSize(), [&]() {
            return weighted ? Superpose(mobile, target, weights) : Superpose(mobile, target);
        });
        if (!result.IsValid())
            throw py::value_error(std::string("cannot superpose: ") + SuperpositionResult::Describe(result.status));
        return py::cast(std::move(result));
    });
}

void BindSuperpositionResult(py::module_& m)
{
    py::class_<SuperpositionResult> r(
        m, "SuperpositionResult",
        "The rigid motion that lays mobile onto target with the least RMSD, and how well it does: a point p (a row "
        "vector) moves to p * rotation + translation.");
    r.def_property_readonly(
        "rotation", [](const SuperpositionResult& s) { return s.rotation; },
        "The proper rotation (Matrix3x3, determinant +1), applied to row vectors from the right.");
    r.def_property_readonly(
        "translation",
        [](const SuperpositionResult& s) {
            py::array_t<double> t(3);
            std::copy(s.translation, s.translation + 3, t.mutable_data());
            return t;
        },
        "The translation added after the rotation, a float64 array of 3.");
    r.def_readonly("rmsdBefore", &SuperpositionResult::rmsdBefore, "The (weighted) RMSD of the sets as given.");
    r.def_readonly("rmsdAfter", &SuperpositionResult::rmsdAfter, "The (weighted) RMSD after the motion.");
    r.def_readonly("count", &SuperpositionResult::count, "The number of point pairs fitted.");
    r.def(
        "Apply",
        [](const SuperpositionResult& s, const FloatRows& rows) {
            Point3d::Array points = ToPointArray(rows, "points");
            {
                py::gil_scoped_release released;
                s.Apply(points);
            }
            return ToNumpy(std::move(points));
        },
        "points"_a,
        "The images of an (n, 3) array under the motion, as a new float32 array (the same numbers RMSBestFit "
        "gives).");
    r.def("__repr__", [](const SuperpositionResult& s) {
        return "SuperpositionResult(count=" + std::to_string(s.count) +
               ", rmsdBefore=" + py::repr(py::float_(s.rmsdBefore)).cast<std::string>() +
               ", rmsdAfter=" + py::repr(py::float_(s.rmsdAfter)).cast<std::string>() + ")";
    });

    static PyMethodDef superpose = {
        "Superpose", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&SuperposeCall)),
        METH_FASTCALL | METH_KEYWORDS,
        "Superpose(mobile, target, weights=None)\n--\n\n"
        "Fits the (n, 3) points `mobile` onto as many points `target` (optionally weighted, one finite weight >= 0 "
        "per pair) by the rigid motion with the least RMSD, the solver of RMSBestFit, and returns it as a "
        "SuperpositionResult. ValueError for no points, arrays of different lengths, a coordinate that is not "
        "finite, or bad weights."};
    AddFunction(m, superpose);
}

void BindSpline(py::module_& m)
{
    py::class_<Spline> s(m, "Spline",
                         "Smooth curves through control points: uniform cubic splines over spans of four points "
                         "(beta-spline, cardinal spline, B-spline) and a cubic Hermite curve. The basis is shared "
                         "by all splines; use them from one thread at a time.");
    py::enum_<Spline::SplineType>(s, "SplineType", "The kind of a spline.")
        .value("BetaSpline", Spline::BetaSpline)
        .value("CardinalSpline", Spline::CardinalSpline)
        .value("BSpline", Spline::BSpline)
        .value("HermiteSpline", Spline::HermiteSpline)
        .export_values();
    s.def(py::init<Spline::SplineType>(), "type"_a, "A spline of the type.");
    s.def("SetTension", [](Spline& sp, double t) { CheckFinite(t, "tension"); sp.SetTension(t); }, "tension"_a,
          "Sets the tension (finite).");
    s.def("SetBias", [](Spline& sp, double b) { CheckFinite(b, "bias"); sp.SetBias(b); }, "bias"_a,
          "Sets the bias (finite).");
    s.def("SetGranularity", &Spline::SetGranularity, "granularity"_a, "Sets the points per span.");
    s.def("GetGranularity", &Spline::GetGranularity, "The points per span.");
    s.def("GetType", &Spline::GetType, "The spline's type.");
    s.def("GetTension", &Spline::GetTension, "The tension.");
    s.def("GetBias", &Spline::GetBias, "The bias.");
    s.def(
        "GetCubicSpline",
        [](Spline& sp, const FloatRows& rows) {
            const Point3d::Array in = ToPointArray(rows, "points");
            Point3d::Array out;
            sp.GetCubicSpline(in, out);
            return ToNumpy(std::move(out));
        },
        "points"_a,
        "The curve through an (n, 3) array of control points: granularity points per span of four, n - 2 spans "
        "(none for fewer than three points), as a float32 (k, 3) array.");
    s.def(
        "GetHermiteSpline",
        [](Spline& sp, const FloatRows& rows, int steps, std::optional<Point3d> before, std::optional<Point3d> after,
           int smoothing, double scale) {
            Point3d::Array points = ToPointArray(rows, "points");
            Point3d::Array out;
            if (steps < 2 || points.GetSize() < 2)
                throw py::value_error("a Hermite curve needs at least two points and two steps");
            const int written = sp.GetHermiteSpline(points, points.GetSize(), out, before ? &*before : nullptr,
                                                    after ? &*after : nullptr, smoothing, steps, scale);
            out.SetSize(written); // the array may hold room beyond the points written
            return ToNumpy(std::move(out));
        },
        "points"_a, "steps"_a, "before"_a = py::none(), "after"_a = py::none(), "smoothing"_a = 0, "scale"_a = 1.0,
        "The Hermite curve through every point, `steps` points per segment with shared ends, as a float32 array; "
        "before and after set the end tangents, smoothing passes move interior points towards their "
        "neighbours.");
    s.def_static(
        "HermiteSingle",
        [](const Point3d& p0, const Point3d& p1, const Point3d& t0, const Point3d& t1, double t) {
            return Spline::HermiteSingle(p0, p1, t0, t1, t);
        },
        "p0"_a, "p1"_a, "t0"_a, "t1"_a, "t"_a,
        "The point at parameter t of the cubic Hermite segment from p0 to p1 with tangents t0 and t1.");
}

void BindPlane(py::module_& m)
{
    py::class_<Plane> p(m, "Plane",
                        "An oriented plane: a point on it and a normal (kept as given), with the coefficients of "
                        "A x + B y + C z + D = 0.");
    p.def(py::init<>(), "Every field zero.");
    p.def(py::init<const Point3d&, const Point3d&>(), "point"_a, "normal"_a, "The plane through point with normal.");
    p.def("Set", &Plane::Set, "point"_a, "normal"_a, "Sets the point and the normal.");
    p.def(
        "Get",
        [](const Plane& pl) {
            Point3d point, normal;
            pl.Get(point, normal);
            return py::make_tuple(point, normal);
        },
        "(point, normal).");
    p.def(
        "GetABCD",
        [](const Plane& pl) {
            double a, b, c, d;
            pl.GetABCD(a, b, c, d);
            return py::make_tuple(a, b, c, d);
        },
        "The coefficients (A, B, C, D).");
    p.def("Apply", &Plane::Apply, "q"_a, "A qx + B qy + C qz + D: the signed distance times the normal's length.");
}

void BindAnisotropicDisplacement(py::module_& m)
{
    py::class_<AnisotropicDisplacement> a(m, "AnisotropicDisplacement",
                                          "A symmetric anisotropic displacement tensor (U11, U22, U33, U12, U13, "
                                          "U23) with the six uncertainties, as floats.");
    a.def(py::init<>(), "The identity with zero uncertainties.");
    a.def(py::init<float, float, float, float, float, float, float, float, float, float, float, float>(), "u11"_a,
          "u22"_a, "u33"_a, "u12"_a, "u13"_a, "u23"_a, "sigU11"_a = 0.0f, "sigU22"_a = 0.0f, "sigU33"_a = 0.0f,
          "sigU12"_a = 0.0f, "sigU13"_a = 0.0f, "sigU23"_a = 0.0f, "The tensor and its uncertainties.");
#define ORVPY_ADP(Name)                                                                                              \
    a.def("Get" #Name, &AnisotropicDisplacement::Get##Name, "The component " #Name ".");                          \
    a.def("Set" #Name, &AnisotropicDisplacement::Set##Name, "value"_a, "Sets the component " #Name ".");
    ORVPY_ADP(U11) ORVPY_ADP(U22) ORVPY_ADP(U33) ORVPY_ADP(U12) ORVPY_ADP(U13) ORVPY_ADP(U23)
    ORVPY_ADP(Sigu11) ORVPY_ADP(Sigu22) ORVPY_ADP(Sigu33) ORVPY_ADP(Sigu12) ORVPY_ADP(Sigu13) ORVPY_ADP(Sigu23)
#undef ORVPY_ADP
    a.def("GetMatrix", &AnisotropicDisplacement::GetMatrix, "The full symmetric tensor as a Matrix3x3.");
    a.def("GetUncertaintyMatrix", &AnisotropicDisplacement::GetUncertaintyMatrix,
          "The uncertainties arranged as the tensor.");
}

} // namespace

void BindFitting(py::module_& m)
{
    BindSuperposition(m);
    BindSuperpositionResult(m);
    BindSpline(m);
    BindPlane(m);
    BindAnisotropicDisplacement(m);
}

} // namespace orvpy
