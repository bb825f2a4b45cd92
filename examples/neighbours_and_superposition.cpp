// Neighbour search and superposition. NeighborList files points on a grid
// whose cell edge is the cutoff and finds every pair closer than it (bonds,
// contacts) and the points near a query point. RMSBestFit lays one set of
// points onto another by a rigid motion.
#include "orvcore/OrvCore.h"

#include <cmath>
#include <cstdio>
#include <iostream>

using namespace Orvane;

static double Rmsd(const Point3d::Array& a, const Point3d::Array& b)
{
    double sum = 0;
    for (int i = 0; i < a.GetSize(); ++i)
        sum += a[i].Distance2(b[i]);
    return std::sqrt(sum / a.GetSize());
}

int main()
{
    // Five atoms of a small chain, and a bond cutoff of 1.9.
    Point3d::Array atoms;
    for (const Point3d& p : {Point3d(0, 0, 0), Point3d(1.5, 0, 0), Point3d(2.0, 1.4, 0), Point3d(3.4, 1.6, 0.3),
                             Point3d(8, 8, 8)})
        atoms.Add(p);

    NeighborList grid(1.9, 101);
    for (int i = 0; i < atoms.GetSize(); ++i)
        grid.Add(atoms[i]); // indices 0, 1, 2, ... in the order added
    IntArray first, second;
    const int pairs = grid.GetPairs(first, second);
    std::cout << pairs << " pairs closer than " << grid.GetCutoff() << ":";
    for (int i = 0; i < pairs; ++i) {
        const int a = first[i] < second[i] ? first[i] : second[i];
        const int b = first[i] < second[i] ? second[i] : first[i];
        std::cout << " " << a << "-" << b;
    }
    std::cout << "\n";

    IntArray near;
    const int nearest = grid.GetNeighbors(Point3d(1.6, 0.3, 0), 1.6, near);
    std::cout << near.GetSize() << " atoms within 1.6 of (1.6, 0.3, 0); the nearest is atom " << nearest << "\n";

    // The same chain turned 30 degrees about z and moved: RMSBestFit finds the
    // motion back from the first four atoms and applies it to a copy.
    Point3d::Array target, mobile;
    const Matrix4x4 turn = Matrix4x4(ZAxis, 30) * Matrix4x4(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, -2, 1, 1);
    for (int i = 0; i < 4; ++i) {
        target.Add(atoms[i]);
        mobile.Add(atoms[i] * turn);
    }
    Point3d::Array fitted = mobile;
    RMSBestFit(mobile, target, fitted);
    std::printf("RMSD before the fit %.3f, after %.3f\n", Rmsd(mobile, target), Rmsd(fitted, target));

    // Principal axes: the chain lies in a near-plane.
    std::cout << "the four chain atoms are planar within 0.2: " << (IsPlanar(target, 0.2) ? "yes" : "no")
              << ", within 0.05: " << (IsPlanar(target, 0.05) ? "yes" : "no") << "\n";
    return 0;
}
