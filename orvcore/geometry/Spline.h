#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/Arrays.h"
#include "orvcore/geometry/Point3d.h"

#include <cstdint>

namespace Orvane {

/// Smooth curves through a sequence of control points: a uniform cubic spline
/// over spans of four points (beta-spline, cardinal spline or B-spline), and a
/// cubic Hermite curve through every point.
///
/// The basis matrix and the parameter table are shared by all splines: they
/// are rebuilt lazily, from the parameters of the spline whose GetCubicSpline
/// call finds them stale. Constructing a spline of another type than the last
/// one, or changing any spline's tension, bias or granularity, makes them
/// stale. Splines are evaluated from one thread at a time.
class ORVCORE_API Spline
{
public:
    enum SplineType : std::int32_t {
        BetaSpline = 0,
        CardinalSpline = 1,
        BSpline = 2,
        HermiteSpline = 3 // not evaluated by GetCubicSpline
    };

    explicit Spline(SplineType type);
    /// The type by its number (0 to 3).
    explicit Spline(int type) : Spline(static_cast<SplineType>(type)) {}
    Spline(const Spline&) = default;
    Spline& operator=(const Spline&) = default;

    void SetTension(double tension);
    void SetBias(double bias);
    void SetGranularity(int granularity);
    int GetGranularity() const { return m_granularity; }
    SplineType GetType() const { return m_type; }
    double GetTension() const { return m_tension; }
    double GetBias() const { return m_bias; }

    /// Fills out with granularity points per span of four consecutive input
    /// points, for the parameters 0, 1/g, ... (g-1)/g of each span. n >= 3
    /// input points make n - 2 spans; the last span repeats the last input
    /// point as its fourth point, so the curve runs on towards the last point.
    /// Fewer than three points give none. Returns 1. An output of more points
    /// than an array holds raises std::bad_alloc and changes nothing.
    int GetCubicSpline(const Point3d::Array& in, Point3d::Array& out);

    /// Fills out with the Hermite curve through the first count points, steps
    /// points per segment with shared end points; returns the number of
    /// points written, (count - 1) * (steps - 1) + 1. before and after, when
    /// given, set the end tangents; smoothing passes move the interior points
    /// of points towards their neighbours. Returns 0 and leaves out as it was
    /// when count is not in 2..points.GetSize() or steps is below 2; raises
    /// std::bad_alloc, changing nothing, when out would need more points than
    /// an array holds.
    int GetHermiteSpline(Point3d::Array& points, int count, Point3d::Array& out, Point3d* before, Point3d* after,
                         int smoothing, int steps, double scale);

    /// The point at parameter t of the cubic Hermite segment from p0 to p1
    /// with tangents t0 and t1.
    static Point3d HermiteSingle(const Point3d& p0, const Point3d& p1, const Point3d& t0, const Point3d& t1,
                                 double& t);

    /// The shared basis matrix M (row r multiplies t^(3-r)), the parameter
    /// table, the type of the last spline constructed and the stale flag.
    static double m_matrix[4][4];
    static DoubleArray m_alpha;
    static SplineType m_oldType;
    static bool m_recalcMatrix;

protected:
    void GetBetaMatrix();
    void GetCardinalMatrix();
    void GetBsplineMatrix();
    /// [t^3, t^2, t, 1] * M * [a, b, c, d]^T with the shared matrix.
    double Matrix(double a, double b, double c, double d, double t);
    /// Writes the segment's steps points into out from index start on.
    void Hermite1to4(const Point3d& p0, const Point3d& p1, const Point3d& t0, const Point3d& t1,
                     Point3d::Array& out, int start, int steps);

private:
    /// m_alpha = 0, 1/g, ... (g-1)/g.
    static void FillParameters(int g);

    SplineType m_type;
    std::int32_t m_granularity;
    double m_tension;
    double m_bias;
};

} // namespace Orvane
