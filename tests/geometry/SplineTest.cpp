#include "orvcore/geometry/Spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <new>

using namespace Orvane;

namespace {

// Reaches the protected basis evaluation.
struct SplineProbe : Spline {
    using Spline::Spline;
    using Spline::Matrix;
};

Point3d::Array Points(std::initializer_list<Point3d> pts)
{
    Point3d::Array a;
    for (const Point3d& p : pts)
        a.Add(p);
    return a;
}

void ExpectMatrix(const double (&expected)[4][4], double tolerance = 1e-15)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(Spline::m_matrix[r][c], expected[r][c], tolerance) << r << "," << c;
}

// The Catmull-Rom point between p1 and p2 at t, written out independently.
double CatmullRom(double p0, double p1, double p2, double p3, double t)
{
    return 0.5 * (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t +
                  (-p0 + 3 * p1 - 3 * p2 + p3) * t * t * t);
}

} // namespace

TEST(Spline, DefaultsAndBasisMatrices)
{
    Spline beta(0), cardinal(1), bspline(Spline::BSpline);
    EXPECT_EQ(cardinal.GetType(), Spline::CardinalSpline);
    EXPECT_EQ(cardinal.GetTension(), 0.5);
    EXPECT_EQ(beta.GetTension(), 1.0);
    EXPECT_EQ(bspline.GetTension(), 1.0);
    for (const Spline* s : {&beta, &cardinal, &bspline}) {
        EXPECT_EQ(s->GetGranularity(), 6);
        EXPECT_EQ(s->GetBias(), 0.0);
    }

    Point3d::Array in = Points({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}), out;
    bspline.SetTension(1.0);
    bspline.GetCubicSpline(in, out);
    const double uniform[4][4] = {{-1 / 6.0, 3 / 6.0, -3 / 6.0, 1 / 6.0},
                                  {3 / 6.0, -6 / 6.0, 3 / 6.0, 0},
                                  {-3 / 6.0, 0, 3 / 6.0, 0},
                                  {1 / 6.0, 4 / 6.0, 1 / 6.0, 0}};
    ExpectMatrix(uniform);

    cardinal.SetTension(0.5);
    cardinal.GetCubicSpline(in, out);
    ExpectMatrix({{-0.5, 1.5, -1.5, 0.5}, {1, -2.5, 2, -0.5}, {-0.5, 0, 0.5, 0}, {0, 1, 0, 0}});

    // A beta-spline with bias 1 and tension 0 is the uniform B-spline.
    beta.SetBias(1.0);
    beta.SetTension(0.0);
    beta.GetCubicSpline(in, out);
    ExpectMatrix(uniform);

    // Bias 0.5 and tension 2, worked by hand: the scale is 1 / 7.25; the rows
    // for t^3, t^2 and t sum to 0 and the constant row to 7.25.
    beta.SetBias(0.5);
    beta.SetTension(2.0);
    beta.GetCubicSpline(in, out);
    const double k = 1 / 7.25;
    ExpectMatrix({{-0.25 * k, 5.75 * k, -7.5 * k, 2 * k},
                  {0.75 * k, -8.25 * k, 7.5 * k, 0},
                  {-0.75 * k, -2.25 * k, 3 * k, 0},
                  {0.25 * k, 5 * k, 2 * k, 0}});
}

TEST(Spline, ParameterTableAndSpanStart)
{
    SplineProbe s(Spline::CardinalSpline);
    s.SetGranularity(4);
    Point3d::Array in = Points({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}), out;
    s.GetCubicSpline(in, out);
    ASSERT_EQ(Spline::m_alpha.GetSize(), 4);
    EXPECT_EQ(Spline::m_alpha[0], 0.0);
    EXPECT_EQ(Spline::m_alpha[1], 0.25);
    EXPECT_EQ(Spline::m_alpha[2], 0.5);
    EXPECT_EQ(Spline::m_alpha[3], 0.75);
    // At t = 0 a cardinal span sits on its second control point.
    EXPECT_EQ(s.Matrix(3, 5, 7, 11, 0), 5);
}

TEST(Spline, CatmullRomCurveAndItsLastSpan)
{
    Spline s(Spline::CardinalSpline);
    s.SetGranularity(5);
    Point3d::Array in = Points({{0, 0, 0}, {1, 2, 0}, {3, 3, 1}, {4, 1, 2}, {6, 0, 0}}), out;
    EXPECT_EQ(s.GetCubicSpline(in, out), 1);
    // n - 2 spans; the last one repeats the last point as its fourth.
    ASSERT_EQ(out.GetSize(), 3 * 5);
    for (int k = 0; k < 3; ++k) {
        const Point3d& p0 = in[k];
        const Point3d& p1 = in[k + 1];
        const Point3d& p2 = in[k + 2];
        const Point3d& p3 = in[k + 3 < 5 ? k + 3 : 4];
        for (int i = 0; i < 5; ++i) {
            const double t = i / 5.0;
            for (int a = 0; a < 3; ++a)
                EXPECT_NEAR(out[5 * k + i][a], CatmullRom(p0[a], p1[a], p2[a], p3[a], t), 1e-5) << k << " " << i;
        }
    }
    EXPECT_EQ(out[0], in[1]);
    EXPECT_EQ(out[10], in[3]);

    // Fewer than three points give no curve.
    Point3d::Array two = Points({{0, 0, 0}, {1, 1, 1}});
    s.GetCubicSpline(two, out);
    EXPECT_EQ(out.GetSize(), 0);
}

TEST(Spline, SharedTableFollowsTheLastRebuild)
{
    Point3d::Array in = Points({{0, 0, 0}, {1, 0, 0}, {2, 5, 0}, {3, 0, 0}}), out;
    Spline a(Spline::BSpline), b(Spline::BSpline);
    a.SetTension(2.0);
    b.GetCubicSpline(in, out); // rebuilt from b's tension, 1
    EXPECT_NEAR(Spline::m_matrix[3][1], 4 / 6.0, 1e-15);
    a.GetCubicSpline(in, out); // not stale: still b's matrix
    EXPECT_NEAR(Spline::m_matrix[3][1], 4 / 6.0, 1e-15);

    // A granularity set on one spline and a rebuild by another never lets the
    // first read past the shared table.
    a.SetGranularity(10);
    b.GetCubicSpline(in, out);
    EXPECT_EQ(out.GetSize(), 2 * 6);
    a.GetCubicSpline(in, out);
    EXPECT_EQ(out.GetSize(), 2 * 10);
    EXPECT_EQ(Spline::m_alpha.GetSize(), 10);
    EXPECT_EQ(Spline::m_alpha[9], 0.9);

    // A stale table met by the kind that is not evaluated leaves out at its
    // working size, new elements at the origin.
    Spline h(Spline::HermiteSpline);
    Point3d::Array cleared;
    EXPECT_EQ(h.GetCubicSpline(in, cleared), 1);
    EXPECT_EQ(cleared.GetSize(), (4 + 2) * 6);
    EXPECT_EQ(cleared[0], Point3d(0, 0, 0));
    EXPECT_TRUE(Spline::m_recalcMatrix);
}

TEST(Spline, HermiteCurve)
{
    const Point3d p0(1, 2, 3), p1(4, -1, 0), t0(1, 0, 0), t1(0, 1, 0);
    double t = 0;
    EXPECT_EQ(Spline::HermiteSingle(p0, p1, t0, t1, t), p0);
    t = 1;
    EXPECT_EQ(Spline::HermiteSingle(p0, p1, t0, t1, t), p1);

    Spline s(Spline::HermiteSpline);
    Point3d::Array pts = Points({{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 1}, {4, 0, 1}}), out;
    EXPECT_EQ(s.GetHermiteSpline(pts, 5, out, nullptr, nullptr, 0, 4, 1.0), 13);
    for (int k = 0; k < 5; ++k)
        EXPECT_TRUE(Compare(out[3 * k], pts[k], 1e-6)) << k;

    // One smoothing pass moves each interior point half way towards the mean
    // of its neighbours; the ends stay.
    Point3d::Array bent = Points({{0, 0, 0}, {1, 1, 0}, {2, 0, 0}});
    EXPECT_EQ(s.GetHermiteSpline(bent, 3, out, nullptr, nullptr, 1, 3, 1.0), 5);
    EXPECT_EQ(bent[1], Point3d(1, 0.5, 0));
    EXPECT_EQ(bent[0], Point3d(0, 0, 0));
    EXPECT_EQ(bent[2], Point3d(2, 0, 0));

    // Counts outside the points, or too few steps, produce nothing.
    Point3d::Array untouched = Points({{9, 9, 9}});
    EXPECT_EQ(s.GetHermiteSpline(pts, 6, untouched, nullptr, nullptr, 0, 4, 1.0), 0);
    EXPECT_EQ(s.GetHermiteSpline(pts, 1, untouched, nullptr, nullptr, 0, 4, 1.0), 0);
    EXPECT_EQ(s.GetHermiteSpline(pts, 5, untouched, nullptr, nullptr, 0, 1, 1.0), 0);
    EXPECT_EQ(untouched.GetSize(), 1);
}

// Outputs sized beyond what an array can index are allocation failures: they
// must not wrap round to a small array that the curve then overruns.
TEST(Spline, OutputsTooLargeForAnArrayFailBeforeWriting)
{
    Point3d::Array in = Points({{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}), out = Points({{9, 9, 9}});

    // (3 + 2) * 2^30 points wrap to 2^30 in 32 bits.
    Spline cubic(Spline::BSpline);
    cubic.SetGranularity(1 << 30);
    EXPECT_THROW(cubic.GetCubicSpline(in, out), std::bad_alloc);
    ASSERT_EQ(out.GetSize(), 1);
    EXPECT_EQ(out[0], Point3d(9, 9, 9));

    // 3 * (2^31 - 1 + 1) points.
    Spline hermite(Spline::HermiteSpline);
    EXPECT_THROW(hermite.GetHermiteSpline(in, 3, out, nullptr, nullptr, 1, 2147483647, 1.0), std::bad_alloc);
    EXPECT_EQ(out.GetSize(), 1);
    EXPECT_EQ(in[1], Point3d(1, 1, 0)); // no smoothing pass ran
}
