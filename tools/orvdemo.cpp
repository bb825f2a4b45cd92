// A small example of the library at work: a few points, measures and
// matrices, with their text and archive forms.

#include "orvcore/OrvCore.h"

#include <iostream>

using namespace Orvane;

int main()
{
    // Four atoms of a chain, in angstroms.
    const Point3d n(1.458, 0.0, 0.0), ca(0.0, 0.0, 0.0), c(-0.551, 1.420, 0.0), o(-1.2, 1.8, 1.0);
    std::cout << "N  = " << n << "\nCA = " << ca << "\nC  = " << c << "\nO  = " << o << '\n';
    std::cout << "N-CA distance   " << Distance(n, ca) << '\n';
    std::cout << "N-CA-C angle    " << Angle(n, ca, c) << '\n';
    std::cout << "N-CA-C-O torsion " << Dihedral(n, ca, c, o) << '\n';
    std::cout << "normal of N, CA, C " << Normal(n, ca, c) << '\n';

    // Turn the chain by 90 degrees about z through CA, then move it.
    Matrix4x4 move(Point3d::kVector, ca, 90.0);
    move *= Matrix4x4().SetTranslation(10, 0, 0);
    std::cout << "\ntransformation (rotate, then translate):\n";
    move.Print(std::cout);
    std::cout.unsetf(std::ios::floatfield);
    for (const Point3d& p : {n, ca, c, o})
        std::cout << p << "  ->  " << move.Transform(p) << '\n';

    // A monoclinic cell: fractional (0.5, 0.5, 0.5) to Cartesian.
    Matrix3x3 cell;
    cell.FractionalToCartesian(10.0, 12.0, 14.0, 90.0, 105.0, 90.0);
    std::cout << "\ncell centre " << Point3d(0.5, 0.5, 0.5) * cell << '\n';
    Matrix3x3 inverse(cell);
    inverse.Invert();
    std::cout << "back to fractional " << (Point3d(0.5, 0.5, 0.5) * cell) * inverse << '\n';

    // Archive forms: one point under two document versions, and an array.
    Point3d::Array chain;
    for (const Point3d& p : {n, ca, c, o})
        chain.Add(p);
    for (UINT schema : {6u, 7u}) {
        CMemFile file;
        CArchive ar(&file, CArchive::store);
        ar.m_nObjectSchema = schema;
        ar << n;
        ar.Close();
        std::cout << "\npoint stored at schema " << schema << ": " << file.GetLength() << " bytes";
    }
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        chain.Serialize(ar);
        ar.Close();
    }
    file.SeekToBegin();
    Point3d::Array loaded;
    CArchive in(&file, CArchive::load);
    loaded.Serialize(in);
    std::cout << "\narray of " << chain.GetSize() << " points stored in " << file.GetLength()
              << " bytes, loaded back " << loaded.GetSize() << ", last " << loaded[loaded.GetUpperBound()] << '\n';

    Point2d corner(3, 4);
    corner.Rotate(90);
    std::cout << "2D corner (3, 4) turned by 90 degrees: " << corner << '\n';
    const Plane clip(ca, Point3d::kVector);
    std::cout << "O above the clip plane z = 0 by " << clip.Apply(o) << '\n';
    return 0;
}
