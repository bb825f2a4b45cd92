// Building a scene: primitives gathered in display lists. A list keeps each
// kind of primitive in its own array (spheres, cylinders and a few more kinds
// split into opaque and transparent by the alpha byte of their colour), holds
// nested lists with local transformations, and names every primitive's model
// object by an object identifier (0: nothing to pick).
#include "orvcore/OrvCore.h"

#include <iostream>

using namespace Orvane;

// The model this scene depicts: three atoms and two bonds, numbered as the host
// numbers them.
enum ObjectId : unsigned int { N1 = 101, CA1 = 102, O1 = 103, N1_CA1 = 201, CA1_O1 = 202 };

static DisplayList3D MakeResidue()
{
    DisplayList3D residue;
    const Point3d n(0, 0, 0), ca(1.5, 0, 0), o(1.5, 1.2, 0);
    const Color blue(48, 80, 248), grey(144, 144, 144);
    Color red(255, 13, 13);
    red.SetA(static_cast<unsigned char>(100)); // a transparent oxygen

    residue.Add(SpherePrimitive(n, 0.4, blue, N1));
    residue.Add(SpherePrimitive(ca, 0.4, grey, CA1));
    residue.Add(SpherePrimitive(o, 0.4, red, O1));
    // A bond carries its own identifier (without one it has no pick dots at
    // all) and those of the atoms at its ends.
    residue.Add(CylinderPrimitive(n, blue, ca, grey, 0.15, N1_CA1, N1, CA1));
    residue.Add(CylinderPrimitive(ca, grey, o, red, 0.15, CA1_O1, CA1, O1));
    residue.Add(Text3DPrimitive("ALA 1", ca + Point3d(0, 0, 0.6), Color::White(), CA1));
    return residue;
}

int main()
{
    DisplayList3D root;
    DisplayList3D residue = MakeResidue();
    std::cout << "residue list: " << residue.GetNumOpaqueSpheres() << " opaque spheres, "
              << residue.GetNumTransparentSpheres() << " transparent sphere, " << residue.GetNumOpaqueCylinders()
              << " cylinders, " << residue.GetNumText3D() << " label\n";

    // The residue sits 10 units along x in the root's frame.
    Matrix4x4 place(Matrix4x4::IdentityMatrix);
    place.SetTranslation(10, 0, 0);
    residue.SetLocalTransformation(place);
    const unsigned int residueId = root.Add(residue); // a copy with the same identifier
    std::cout << "nested list keeps its identifier: " << (residueId == residue.GetID() ? "yes" : "no") << "\n";

    // A marker in the root itself: the built-in icon 2, "ORV.cross".
    root.Add(IconPrimitive(Point3d(0, 0, 0), 2, true, false, 0));

    // Find the nested list again by its identifier and read where it is.
    DisplayList3D* found = root.LookupDisplayList(residueId);
    Matrix4x4 aggregate(Matrix4x4::IdentityMatrix);
    root.GetAggregateTransformation(root, residueId, aggregate);
    std::cout << "found the residue: " << (found ? "yes" : "no") << ", its frame starts at "
              << aggregate.GetTranslation() << "\n";

    // Renumber the model objects throughout the tree (101 -> 1, 102 -> 2, 103 -> 3).
    DisplayList3D::OIDMap renumber;
    renumber[N1] = 1;
    renumber[CA1] = 2;
    renumber[O1] = 3;
    root.TranslateOIDs(renumber);
    const CylinderPrimitive& bond = root.GetDisplayList(0).GetOpaqueCylinder(0);
    std::cout << "first bond joins objects " << bond.GetEnd1ID() << " and " << bond.GetEnd2ID() << "\n";

    // Flattening bakes the transformations into the primitives.
    DisplayList3D flat = root;
    flat.Flatten();
    std::cout << "flattened: " << flat.GetNumDisplayLists() << " nested lists, "
              << flat.GetNumOpaqueSpheres() + flat.GetNumTransparentSpheres() << " spheres, "
              << flat.GetNumIcon() << " icon\n";
    for (int i = 0; i < flat.GetNumOpaqueSpheres(); ++i) {
        const SpherePrimitive& s = flat.GetOpaqueSphere(i);
        std::cout << "  sphere of object " << s.GetID() << " at " << s.GetCenter() << "\n";
    }
    return 0;
}
