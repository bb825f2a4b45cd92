#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Matrix4x4.h"

#include "tests/support/ArchiveBytes.h"
#include "tests/support/ExpectPoint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <random>
#include <sstream>
#include <vector>

using namespace Orvane;
using namespace testing_bytes;

namespace {

template <class M, std::size_t N>
void ExpectMatrix(const M& m, const double (&expected)[N], double tol = 1e-12)
{
    for (std::size_t i = 0; i < N; ++i)
        EXPECT_NEAR(static_cast<const double*>(m)[i], expected[i], tol) << "element " << i;
}

// Rotation of v about the unit axis k by angle t (radians), counter-clockwise
// seen from the tip of k (Rodrigues' formula).
Point3d Rodrigues(const Point3d& v, const Point3d& k, double t)
{
    const Point3d kxv = k.Cross(v);
    const double kv = k.Dot(v);
    return Point3d(v.GetX() * std::cos(t) + kxv.GetX() * std::sin(t) + k.GetX() * kv * (1 - std::cos(t)),
                   v.GetY() * std::cos(t) + kxv.GetY() * std::sin(t) + k.GetY() * kv * (1 - std::cos(t)),
                   v.GetZ() * std::cos(t) + kxv.GetZ() * std::sin(t) + k.GetZ() * kv * (1 - std::cos(t)));
}

} // namespace

TEST(Matrix, ConstructionAndClampedAccess)
{
    Matrix3x3 null;
    ExpectMatrix(null, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0);
    ExpectMatrix(Matrix3x3(Matrix3x3::IdentityMatrix), {1, 0, 0, 0, 1, 0, 0, 0, 1}, 0);
    ExpectMatrix(Matrix4x4(Matrix4x4::IdentityMatrix), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 0);
    ExpectMatrix(Matrix4x4(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0);

    Matrix3x3 m(1, 2, 3, 4, 5, 6, 7, 8, 9);
    EXPECT_EQ(&m(5, -1), &m(2, 0));
    EXPECT_EQ(m(5, -1), 7.0);
    m.Set(3, 0, 100).Set(0, -1, 100);
    ExpectMatrix(m, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 0);
    Matrix4x4 q(Matrix4x4::IdentityMatrix);
    q(7, 9) = 5;
    EXPECT_EQ(q.Get(3, 3), 5.0);
    double out[9];
    m.Get(out);
    EXPECT_EQ(Matrix3x3(out).Get(1, 2), 6.0);
}

TEST(Matrix, RotationsAboutCoordinateAxes)
{
    const Point3d x(1, 0, 0);
    ExpectPoint(Matrix3x3(ZAxis, 90).Rotate(x), 0, 1, 0);
    ExpectPoint(x * Matrix3x3(YAxis, 90), 0, 0, 1);
    ExpectPoint(x * Matrix3x3(Point3d(0, 1, 0), 90), 0, 0, -1);
    ExpectPoint(Point3d(0, 1, 0) * Matrix3x3(XAxis, 90), 0, 0, 1);
    int notAnAxis = 7, negativeAxis = -1; // values a caller may pass that name no axis
    ExpectMatrix(Matrix3x3().SetRotation(static_cast<Axis>(notAnAxis), 30), {1, 0, 0, 0, 1, 0, 0, 0, 1}, 0);
    ExpectMatrix(Matrix3x3().SetReflection(YAxis), {1, 0, 0, 0, -1, 0, 0, 0, 1}, 0);
    ExpectMatrix(Matrix3x3().SetReflection(static_cast<Axis>(negativeAxis)), {1, 0, 0, 0, 1, 0, 0, 0, 1}, 0);
    ExpectMatrix(Matrix4x4().SetScale(2, 3, 4), {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}, 0);
    ExpectMatrix(Matrix4x4(ZAxis, 90),
                 {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 1e-15);
}

TEST(Matrix, AxisAngleRotationAgreesWithRodrigues)
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int i = 0; i < 50; ++i) {
        const Point3d axis(u(rng), u(rng), u(rng));
        const double degrees = 360 * u(rng);
        const Point3d v(3 * u(rng), 3 * u(rng), 3 * u(rng));
        const Point3d expected = Rodrigues(v, Normalize(axis), degrees * M_PI / 180);
        const Point3d got = Matrix3x3(axis, degrees).Rotate(v);
        EXPECT_TRUE(Compare(got, expected, 1e-5)) << i;
        EXPECT_TRUE(Compare(Matrix4x4(axis, degrees).Transform(v), expected, 1e-5)) << i;
    }
}

TEST(Matrix, RotationBetweenTwoDirections)
{
    ExpectMatrix(Matrix3x3(Point3d(1, 0, 0), Point3d(2, 0, 0)), {1, 0, 0, 0, 1, 0, 0, 0, 1}, 1e-15);
    // Opposite directions: 180 degrees about (0, 1, 1)/sqrt 2, that is 2nn' - I
    // (up to the float rounding of the unit axis).
    const Matrix3x3 flip(Point3d(1, 0, 0), Point3d(-1, 0, 0));
    ExpectMatrix(flip, {-1, 0, 0, 0, 0, 1, 0, 1, 0}, 1e-7);
    ExpectMatrix(Matrix3x3(Point3d(0, 0, 0), Point3d(1, 2, 3)), {1, 0, 0, 0, 1, 0, 0, 0, 1}, 0);

    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-4, 4);
    for (int i = 0; i < 50; ++i) {
        const Point3d from(u(rng), u(rng), u(rng)), to(u(rng), u(rng), u(rng));
        const Point3d turned = Matrix4x4(from, to).Transform(from);
        EXPECT_TRUE(Compare(Normalize(turned), Normalize(to), 1e-5)) << i;
        EXPECT_NEAR(turned.Length(), from.Length(), 1e-5);
    }
}

TEST(Matrix, FrameFromOneDirectionIsOrthonormalAndRightHanded)
{
    std::vector<Point3d> dirs = {Point3d(0, 0, 1), Point3d(1, 2, 3), Point3d(-5, 0.1, 0),
                                 Point3d(0.123456, 0.789123, 0.601701), Point3d(-0.123456, -0.789123, -0.601701)};
    // Directions one to three float steps away from the reference that the
    // frame crosses with, and the reference itself at another length.
    for (int steps = 1; steps <= 3; ++steps) {
        Point3d dir(0.123456, 0.789123, 0.601701);
        for (int k = 0; k < steps; ++k) {
            dir[steps - 1] = std::nextafter(dir[steps - 1], 1.0f);
            dir[steps % 3] = std::nextafter(dir[steps % 3], -1.0f);
        }
        dirs.push_back(dir);
    }
    dirs.push_back(Point3d(0.123456, 0.789123, 0.601701) * 3.0);
    for (const Point3d& dir : dirs) {
        const Matrix3x3 m = Matrix3x3().SetRotation(dir);
        const Point3d r0(m(0, 0), m(0, 1), m(0, 2)), r1(m(1, 0), m(1, 1), m(1, 2)), r2(m(2, 0), m(2, 1), m(2, 2));
        EXPECT_NEAR(r0.Length(), 1, 1e-6);
        EXPECT_NEAR(r1.Length(), 1, 1e-6);
        EXPECT_NEAR(r0.Dot(r1), 0, 1e-6);
        EXPECT_NEAR(r1.Dot(r2), 0, 1e-6);
        EXPECT_TRUE(Compare(r0.Cross(r1), r2, 1e-6));
        EXPECT_TRUE(Compare(Point3d(0, 0, 1) * m, Normalize(dir), 1e-6));
    }
}

// The unit axis of a rotation, the axis and angle between two directions and
// the rows of a frame are taken from points, so from floats. Expected elements
// computed independently that way; doubles throughout differ by about 1e-8.
TEST(Matrix, RotationsBuiltFromPointsUseTheirFloatDirections)
{
    ExpectMatrix(Matrix3x3(Point3d(1, 2, 3), 30),
                 {0.8755950174413174, 0.420031097573996, -0.23855239486830707, -0.3817526429464812,
                  0.9043038584119535, 0.1910483025285148, 0.29597007894379607, -0.07621293437753679,
                  0.9521519330989976},
                 1e-15);
    ExpectMatrix(Matrix4x4(Point3d(-2.2, 2.1, 1.6), Point3d(-1.5, 0, -0.3)),
                 {0.5457815508106933, 0.6446108541671954, 0.5353497631571804, 0, -0.5538053184831592,
                  0.7569616800348175, -0.3468554609736234, 0, -0.6288260422743137, -0.10717223650412896,
                  0.7701246308932184, 0, 0, 0, 0, 1},
                 1e-15);
    ExpectMatrix(Matrix3x3().SetRotation(Point3d(1, 2, 3)),
                 {double(-0.3642915189266205f), double(0.8263469934463501f), double(-0.42946746945381165f),
                  double(-0.892111599445343f), double(-0.1773030161857605f), double(0.41557252407073975f),
                  double(0.26726123690605164f), double(0.5345224738121033f), double(0.8017837405204773f)},
                 0);
}

TEST(Matrix, HomogeneousTransforms)
{
    const Matrix4x4 t = Matrix4x4().SetTranslation(1, 2, 3);
    ExpectPoint(t.Transform(Point3d(0, 0, 0)), 1, 2, 3, 0);
    ExpectPoint(t.Rotate(Point3d(0, 0, 0)), 0, 0, 0, 0);
    ExpectPoint(t.GetTranslation(), 1, 2, 3, 0);
    EXPECT_EQ(Matrix4x4().Transform(Point3d(1, 2, 3)), Point3d::maximum);

    // Projective division: w = z.
    const Matrix4x4 persp(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0);
    ExpectPoint(Point3d(2, 4, 2) * persp, 1, 2, 1);
    EXPECT_EQ(persp.Transform(Point3d(5, 5, 0)), Point3d::maximum);

    // About the z axis through (1, 0, 0): that point stays put.
    const Matrix4x4 about(Point3d(0, 0, 1), Point3d(1, 0, 0), 90);
    ExpectPoint(about.Transform(Point3d(1, 0, 0)), 1, 0, 0);
    ExpectPoint(about.Transform(Point3d(2, 0, 5)), 1, 1, 5);

    // A product applies its left factor first.
    const Point3d x(1, 0, 0);
    const Matrix4x4 rotate(ZAxis, 90);
    ExpectPoint((rotate * t).Transform(x), 1, 3, 3);
    ExpectPoint((t * rotate).Transform(x), -2, 2, 3);
    // With a modifiable point, Transform and Rotate work in place.
    Point3d p(x);
    t.Transform(p);
    ExpectPoint(p, 2, 2, 3, 0);
    rotate.Rotate(p);
    ExpectPoint(p, -2, 2, 3);
}

TEST(Matrix, ConversionsBetweenSizes)
{
    Matrix4x4 big(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    Matrix3x3 small;
    small = big;
    ExpectMatrix(small, {1, 2, 3, 5, 6, 7, 9, 10, 11}, 0);
    // The homogeneous form: the rest becomes the identity, whatever was there.
    big = Matrix3x3(ZAxis, 90);
    ExpectMatrix(big, {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 1e-15);
    ExpectPoint(big.Transform(Point3d(1, 0, 0)), 0, 1, 0);
}

TEST(Matrix, InversionWithPivotingAndSingularInput)
{
    Matrix3x3 zeroColumn(1, 0, 3, 4, 0, 6, 7, 0, 9);
    zeroColumn.Invert();
    ExpectMatrix(zeroColumn, {1, 0, 3, 4, 0, 6, 7, 0, 9}, 0);

    Matrix3x3 swap(0, 1, 0, 2, 0, 0, 0, 0, 4);
    swap.Invert();
    ExpectMatrix(swap, {0, 0.5, 0, 1, 0, 0, 0, 0, 0.25}, 0);

    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(-3, 3);
    for (int i = 0; i < 20; ++i) {
        Matrix4x4 m(Matrix4x4::UninitializedMatrix);
        for (int k = 0; k < 16; ++k)
            static_cast<double*>(m)[k] = u(rng);
        Matrix4x4 inverse(m);
        inverse.Invert();
        ExpectMatrix(m * inverse, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 1e-9);
    }
    Matrix4x4 singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1);
    singular.Invert();
    ExpectMatrix(singular, {1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1}, 0);
}

TEST(Matrix, CellMatrix)
{
    Matrix3x3 cubic;
    cubic.FractionalToCartesian(10, 10, 10, 90, 90, 90);
    ExpectMatrix(cubic, {10, 0, 0, 0, 10, 0, 0, 0, 10}, 1e-12);

    // A triclinic cell: the rows are the cell axes, so their lengths and the
    // angles between them are the cell's.
    const double a = 5, b = 7, c = 9, alpha = 80, beta = 100, gamma = 110;
    Matrix3x3 m;
    m.FractionalToCartesian(Point3d(a, b, c), Point3d(alpha, beta, gamma));
    const Point3d ra = Point3d::iVector * m, rb = Point3d::jVector * m, rc = Point3d::kVector * m;
    EXPECT_NEAR(ra.Length(), a, 1e-5);
    EXPECT_NEAR(rb.Length(), b, 1e-5);
    EXPECT_NEAR(rc.Length(), c, 1e-5);
    EXPECT_NEAR(Angle(rb, Point3d(), rc), alpha, 1e-4);
    EXPECT_NEAR(Angle(ra, Point3d(), rc), beta, 1e-4);
    EXPECT_NEAR(Angle(ra, Point3d(), rb), gamma, 1e-4);
    EXPECT_EQ(m(0, 1), 0.0);
    EXPECT_EQ(m(1, 2), 0.0);

    Matrix4x4 keep(Matrix4x4::IdentityMatrix);
    keep(3, 0) = 5;
    keep.FractionalToCartesian(10, 10, 0, 90, 90, 90);
    EXPECT_EQ(keep(3, 0), 5.0);
    keep.FractionalToCartesian(2, 3, 4, 90, 90, 90);
    ExpectMatrix(keep, {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}, 1e-12);
}

TEST(Matrix, ElementwiseArithmeticAndTranspose)
{
    const Matrix3x3 a(1, 2, 3, 4, 5, 6, 7, 8, 9);
    ExpectMatrix(a + a, {2, 4, 6, 8, 10, 12, 14, 16, 18}, 0);
    ExpectMatrix(a - a * 2.0, {-1, -2, -3, -4, -5, -6, -7, -8, -9}, 0);
    ExpectMatrix(a / 0.0, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 0);
    ExpectMatrix(0.5 * a / 0.5, {1, 2, 3, 4, 5, 6, 7, 8, 9}, 0);
    ExpectMatrix(a * a, {30, 36, 42, 66, 81, 96, 102, 126, 150}, 0);
    ExpectMatrix(Matrix3x3(a).Transpose(), {1, 4, 7, 2, 5, 8, 3, 6, 9}, 0);
    Matrix4x4 b(Matrix4x4::IdentityMatrix);
    b /= 0.0;
    b *= 3.0;
    EXPECT_EQ(b(2, 2), 3.0);
}

TEST(Matrix, ArchiveFormIsRowMajorDoublesWhateverTheSchema)
{
    const Matrix3x3 a(1, 2, 3, 4, 5, 6, 7, 8, 0.1);
    const Bytes image3 = Doubles({1, 2, 3, 4, 5, 6, 7, 8, 0.1});
    const Matrix4x4 b(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -16);
    const Bytes image4 = Doubles({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -16});
    for (UINT schema : {kUnset, 6u, 7u}) {
        EXPECT_EQ(Store(schema, [&](CArchive& ar) { ar << a; }), image3);
        EXPECT_EQ(Store(schema, [&](CArchive& ar) { Matrix4x4(b).Serialize(ar); }), image4);
        Matrix3x3 c;
        Matrix4x4 d;
        EXPECT_EQ(Load(image3, schema, [&](CArchive& ar) { c.Serialize(ar); }), 0u);
        EXPECT_EQ(Load(image4, schema, [&](CArchive& ar) { ar >> d; }), 0u);
        ExpectMatrix(c, {1, 2, 3, 4, 5, 6, 7, 8, 0.1}, 0);
        ExpectMatrix(d, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -16}, 0);
    }
    Matrix4x4 e(Matrix4x4::IdentityMatrix);
    EXPECT_THROW(Load(image3, 7, [&](CArchive& ar) { ar >> e; }), CArchiveException);
    ExpectMatrix(e, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 0);
}

TEST(Matrix, TextForms)
{
    std::ostringstream plain;
    plain << Matrix3x3(Matrix3x3::IdentityMatrix);
    EXPECT_EQ(plain.str(), "1 0 0 0 1 0 0 0 1 ");

    std::ostringstream wide;
    wide << std::setw(3) << Matrix3x3(1, 2, 3, 4, 5, 6, 7, 8, 9) << '|';
    EXPECT_EQ(wide.str(), "  1  2  3  4  5  6  7  8  9|");

    std::ostringstream printed;
    Matrix3x3(Matrix3x3::IdentityMatrix).Print(printed);
    EXPECT_EQ(printed.str(), "  1.000000  0.000000  0.000000\n"
                             "  0.000000  1.000000  0.000000\n"
                             "  0.000000  0.000000  1.000000\n");
    EXPECT_TRUE(printed.flags() & std::ios::fixed);

    // A text ending right after the last number is accepted.
    Matrix3x3 m;
    std::istringstream exact("1 0 0 0 1 0 0 0 1");
    exact >> m;
    EXPECT_FALSE(exact.fail());
    ExpectMatrix(m, {1, 0, 0, 0, 1, 0, 0, 0, 1}, 0);

    std::istringstream bad("9 9 9 9 9 9 9 9 x");
    bad >> m;
    EXPECT_TRUE(bad.fail());
    ExpectMatrix(m, {1, 0, 0, 0, 1, 0, 0, 0, 1}, 0);

    Matrix4x4 big(Matrix4x4::IdentityMatrix);
    std::istringstream tooShort("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15");
    tooShort >> big;
    ExpectMatrix(big, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 0);
    const Matrix4x4 rotation(Point3d(1, 2, 3), 33.0);
    std::ostringstream out;
    out << rotation;
    std::istringstream back(out.str());
    back >> big;
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(big(k / 4, k % 4), rotation(k / 4, k % 4), 1e-5);
}
