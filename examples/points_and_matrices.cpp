// Points, vectors and matrices. Points are row vectors: a matrix applies to a
// point multiplied on its right (p * M), a product A * B applies A first, and
// a 4 x 4 matrix keeps its translation in its fourth row. Angles are degrees.
#include "orvcore/OrvCore.h"

#include <cmath>
#include <iostream>

using namespace Orvane;

// Rounds away the last bits of trigonometry so that the output is stable:
// 6.1e-17 prints as 0 and -0 as 0.
static Point3d Round(const Point3d& p)
{
    auto round = [](double v) {
        v = std::round(v * 1e6) / 1e6;
        return v == 0 ? 0.0 : v;
    };
    return Point3d(round(p.GetX()), round(p.GetY()), round(p.GetZ()));
}

int main()
{
    // Coordinates are held as floats and computed in doubles.
    Point3d p(1, 0, 0);
    Point3d q(0, 2, 0);
    std::cout << "p + q = " << p + q << "\n";
    std::cout << "p . q = " << p.Dot(q) << ", p x q = " << p.Cross(q) << "\n";
    std::cout << "|q| = " << q.Length() << ", q normalized = " << Normalize(q) << "\n";
    std::cout << "zero vector normalized stays " << Normalize(Point3d::zero) << "\n";

    // Bond and torsion angles, in degrees.
    const Point3d a(1, 0, 0), b(0, 0, 0), c(0, 1, 0), d(0, 1, 1);
    std::cout << "angle a-b-c = " << Angle(a, b, c) << " degrees\n";
    std::cout << "torsion a-b-c-d = " << Dihedral(a, b, c, d) << " degrees\n";

    // A rotation of 90 degrees about z, then a translation by (10, 0, 0).
    Matrix4x4 rotate(ZAxis, 90);
    Matrix4x4 translate(Matrix4x4::IdentityMatrix);
    translate.SetTranslation(10, 0, 0);

    // rotate * translate rotates first: (1,0,0) -> (0,1,0) -> (10,1,0).
    const Matrix4x4 both = rotate * translate;
    std::cout << "p * (rotate * translate) = " << Round(p * both) << "\n";
    // translate * rotate translates first: (1,0,0) -> (11,0,0) -> (0,11,0).
    std::cout << "p * (translate * rotate) = " << Round(p * (translate * rotate)) << "\n";
    std::cout << "translation row of rotate * translate: " << both.GetTranslation() << "\n";

    // The inverse undoes the motion.
    Matrix4x4 inverse = both;
    inverse.Invert();
    std::cout << "back again: " << Round((p * both) * inverse) << "\n";
    return 0;
}
