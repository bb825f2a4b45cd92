// Picking: the root list hands out pick dots, each a point in the root's
// frame with the object identifier of what it depicts. The host projects
// them, takes the one nearest the click and maps its identifier back to its
// own model object.
#include "orvcore/OrvCore.h"

#include <iostream>
#include <map>
#include <string>
#include <vector>

using namespace Orvane;

int main()
{
    // The host's model: object identifiers of its atoms.
    const std::map<unsigned int, std::string> atoms = {{1, "N"}, {2, "CA"}, {3, "C"}};

    DisplayList3D chain;
    chain.Add(SpherePrimitive(Point3d(0, 0, 0), 0.4, Color::Blue(), 1));
    chain.Add(SpherePrimitive(Point3d(1.5, 0, 0), 0.4, Color::Grey(), 2));
    chain.Add(SpherePrimitive(Point3d(1.5, 1.5, 0), 0.4, Color::Grey(), 3));
    chain.Add(CylinderPrimitive(Point3d(0, 0, 0), Color::Blue(), Point3d(1.5, 0, 0), Color::Grey(), 0.1, 12, 1, 2));
    // A label that is only an annotation gives no pick dot.
    Text3DPrimitive note("a note", Point3d(0, -1, 0), Color::White(), 99);
    note.SetIsAnnotation(true);
    chain.Add(note);

    // The chain is turned 90 degrees about z inside the root. Points are row
    // vectors, so the first row is the image of the x axis: x goes to y.
    chain.SetLocalTransformation(Matrix4x4(0, 1, 0, 0,  //
                                           -1, 0, 0, 0, //
                                           0, 0, 1, 0,  //
                                           0, 0, 0, 1));
    DisplayList3D root;
    root.Add(chain);

    std::vector<DotPrimitive> dots;
    const int count = root.GetPickDots(dots);
    std::cout << count << " pick dots:\n";
    for (const DotPrimitive& dot : dots) {
        std::cout << "  object " << dot.GetID() << " at " << dot.GetCoord() << "\n";
    }

    // The user clicked near (-1.4, 1.6, 0) in the root's frame.
    const Point3d click(-1.4, 1.6, 0);
    const DotPrimitive* nearest = nullptr;
    for (const DotPrimitive& dot : dots)
        if (!nearest || click.Distance2(dot.GetCoord()) < click.Distance2(nearest->GetCoord()))
            nearest = &dot;
    const auto atom = atoms.find(nearest->GetID());
    std::cout << "picked object " << nearest->GetID() << ": atom "
              << (atom != atoms.end() ? atom->second : std::string("(not an atom)")) << "\n";
    return 0;
}
