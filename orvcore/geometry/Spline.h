#pragma once

/// \file
/// Spline: cubic splines and Hermite curves through control points.
#include "orvcore/Export.h"
#include "orvcore/core/Arrays.h"
#include "orvcore/geometry/Point3d.h"

#include <cstdint>

namespace Orvane {

/// Smooth curves through a sequence of control points: a uniform cubic spline
/// over spans of four points (beta-spline, cardinal spline or B-spline), and a
/// cubic Hermite curve through every point. The uniform cubic beta-spline and
/// its shape parameters beta1 (bias) and beta2 (tension) are those of
/// B. A. Barsky, "The Beta-spline: a local representation based on shape
/// parameters and fundamental geometric measures" (PhD thesis, University of
/// Utah, 1981); the cardinal spline and the B-spline are the usual basis
/// matrices (J. D. Foley, A. van Dam et al., "Computer Graphics: Principles and
/// Practice", 2nd ed., 1990, section 11.2).
///
/// The basis matrix and the parameter table are shared by all splines: they
/// are rebuilt lazily, from the parameters of the spline whose GetCubicSpline
/// call finds them stale. Constructing a spline of another type than the last
/// one, or changing any spline's tension, bias or granularity, makes them
/// stale. Splines are evaluated from one thread at a time.
///
/// \threadsafety{The basis matrix and parameter table are shared by all splines without a lock:
/// splines are made, changed and evaluated from one thread at a time.}
class ORVCORE_API Spline
{
public:
    /// The kind of curve; its number is what documents store.
    enum SplineType : std::int32_t {
        BetaSpline = 0, ///< Beta-spline: tension is its beta2, bias its beta1.
        CardinalSpline = 1, ///< Cardinal spline: tension s (0.5 by default) scales the tangents.
        BSpline = 2, ///< Uniform B-spline; its basis matrix takes the tension as a parameter.
        HermiteSpline = 3 ///< Hermite curve (GetHermiteSpline); not evaluated by GetCubicSpline.
    };

    /// A spline of the given type with granularity 6, tension 0.5 for a cardinal
    /// spline and 1 otherwise, and bias 0. A type other than the last constructed
    /// makes the shared tables stale.
    explicit Spline(SplineType type);
    /// The type by its number (0 to 3).
    explicit Spline(int type) : Spline(static_cast<SplineType>(type)) {}
    /// Copies the parameters (the shared tables are not touched).
    ///@{
    Spline(const Spline&) = default;
    Spline& operator=(const Spline&) = default;

    ///@}
    /// Sets the tension, bias or granularity (points per span); each makes the shared
    /// tables stale.
    ///@{
    void SetTension(double tension);
    void SetBias(double bias);
    void SetGranularity(int granularity);
    ///@}
    /// Points per span.
    int GetGranularity() const { return m_granularity; }
    /// The kind of curve.
    SplineType GetType() const { return m_type; }
    /// The tension.
    double GetTension() const { return m_tension; }
    /// The bias (beta-splines only).
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
    static DoubleArray m_alpha; ///< The parameter table 0, 1/g, ... (g-1)/g.
    static SplineType m_oldType; ///< The type of the last spline constructed.
    static bool m_recalcMatrix; ///< True when the shared tables are stale.

protected:
    /// Fills the shared matrix for this spline's type and parameters.
    ///@{
    void GetBetaMatrix();
    void GetCardinalMatrix();
    void GetBsplineMatrix();
    ///@}
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
