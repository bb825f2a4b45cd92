// Traps that code written from memory falls into, each next to the idiom
// that avoids it.
#include "orvcore/OrvCore.h"

#include <cmath>
#include <iostream>
#include <type_traits>
#include <vector>

using namespace Orvane;

static const char* YesNo(bool b) { return b ? "yes" : "no"; }

// Rounds away the last bits of trigonometry so that the output is stable.
static Point3d Round(const Point3d& p)
{
    auto round = [](double v) {
        v = std::round(v * 1e6) / 1e6;
        return v == 0 ? 0.0 : v;
    };
    return Point3d(round(p.GetX()), round(p.GetY()), round(p.GetZ()));
}

// The identifier of the dot nearest to click that stands for something: dots
// with identifier 0 are skipped, and of equally near dots the first one wins.
static unsigned int Pick(const std::vector<DotPrimitive>& dots, const Point3d& click)
{
    const DotPrimitive* nearest = nullptr;
    for (const DotPrimitive& dot : dots) {
        if (dot.GetID() == 0)
            continue;
        if (!nearest || click.Distance2(dot.GetCoord()) < click.Distance2(nearest->GetCoord()))
            nearest = &dot;
    }
    return nearest ? nearest->GetID() : 0;
}

static void PrintDots(const DisplayList3D& list)
{
    std::vector<DotPrimitive> dots;
    list.GetPickDots(dots);
    std::cout << " " << dots.size() << " dots:";
    for (const DotPrimitive& dot : dots)
        std::cout << " " << dot.GetID() << "@(" << dot.GetCoord() << ")";
    std::cout << "\n";
}

int main()
{
    // 1. StringToPoint reads three reals and ignores what follows them.
    Point3d point(9, 9, 9);
    const bool read = StringUtils::StringToPoint("1 2 3 junk", point);
    std::cout << "StringToPoint(\"1 2 3 junk\"): " << std::boolalpha << read << " -> " << point << "\n";
    std::cout << "StringToPoint(\"1 2 junk\"): " << StringUtils::StringToPoint("1 2 junk", point) << "\n";

    // 2. SetTranslation starts from the identity: a rotation set before is lost.
    const Point3d p(1, 0, 0);
    Matrix4x4 lost(ZAxis, 90);
    lost.SetTranslation(10, 0, 0);
    std::cout << "rotate, then SetTranslation on the same matrix: p -> " << Round(p * lost) << "\n";
    // The idiom: multiply by a translation, or write row 3 element by element.
    Matrix4x4 move;
    move.SetTranslation(10, 0, 0);
    const Matrix4x4 product = Matrix4x4(ZAxis, 90) * move;
    Matrix4x4 row3(ZAxis, 90);
    row3(3, 0) = 10;
    std::cout << "rotate * translation: p -> " << Round(p * product) << ", row 3 written: p -> " << Round(p * row3)
              << "\n";

    // 3. GetNeighbors searches the cells next to the query's own, so a radius
    // above the cutoff misses points farther than one cell away.
    NeighborList grid(1.0, 101);
    grid.Add(Point3d(0.5, 0.5, 0.5));
    grid.Add(Point3d(3.1, 0.5, 0.5));
    IntArray found;
    grid.GetNeighbors(Point3d(0.5, 0.5, 0.5), 3.0, found);
    std::cout << "radius 3 on a list of cutoff 1: " << found.GetSize() << " of 2 points";
    NeighborList wide(3.0, 101);
    wide.Add(Point3d(0.5, 0.5, 0.5));
    wide.Add(Point3d(3.1, 0.5, 0.5));
    found.RemoveAll();
    wide.GetNeighbors(Point3d(0.5, 0.5, 0.5), 3.0, found);
    std::cout << "; on a list of cutoff 3: " << found.GetSize() << " of 2\n";

    // 4. A vanishing cross product becomes a unit vector perpendicular to the
    // first operand, never the zero vector.
    const Point3d a(1, 0, 0);
    std::cout << "a.Cross(a) = " << Round(a.Cross(a)) << ", length " << a.Cross(a).Length() << "\n";
    std::cout << "CrossProduct(a, 2a) = " << Round(CrossProduct(a, 2 * a)) << ", DotProduct(a, a) = " << DotProduct(a, a)
              << "\n";
    // The idiom for a parallel test: |a x b|^2 = |a|^2 |b|^2 - (a . b)^2.
    const Point3d b(2, 0, 0);
    std::cout << "|a x b|^2 for parallel a, b: " << a.Length2() * b.Length2() - a.Dot(b) * a.Dot(b) << "\n";

    // 5. GetObjectSchema hands the schema back and resets it to unset, so the
    // next value is stored in the oldest layout. Read m_nObjectSchema instead.
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar.m_nObjectSchema = 13;
    const UINT schema = ar.GetObjectSchema();
    ar << Point3d(1, 2, 3);
    ar.Flush();
    std::cout << "GetObjectSchema() gave " << schema << " and left " << ar.m_nObjectSchema << ": the next point took "
              << file.GetLength() << " bytes\n";
    ar.Close();

    // 6. The archive's error is a std::exception, the file's is not.
    std::cout << "CArchiveException is a std::exception: "
              << YesNo(std::is_base_of<std::exception, CArchiveException>::value)
              << "; CFileException: " << YesNo(std::is_base_of<std::exception, CFileException>::value) << "\n";

    // 7. The first argument of UniformRandomSequence is the lower bound, not a seed.
    UniformRandomSequence notSeeded(7);
    bool within = true;
    for (int i = 0; i < 100; ++i) {
        const double v = notSeeded();
        within = within && v >= 1 && v <= 7;
    }
    std::cout << "UniformRandomSequence(7) draws from [1, 7]: " << YesNo(within) << "\n";
    RandomInteger generator(7), again(7);
    UniformRandomSequence seeded(generator, 0.0, 1.0), replay(again, 0.0, 1.0);
    bool same = true;
    for (int i = 0; i < 100; ++i)
        same = same && seeded() == replay();
    std::cout << "two sequences on generators seeded with 7 agree: " << YesNo(same) << "\n";

    // 8. Picking: a bond whose own identifier is 0 gives no dots at all; the
    // identifiers of its ends are not stored in documents, so after a round
    // trip its end dots carry 0.
    const Point3d n(0, 0, 0), ca(1.5, 0, 0);
    DisplayList3D noBond;
    noBond.Add(CylinderPrimitive(n, Color::Blue(), ca, Color::Grey(), 0.15, 0, 1, 2));
    std::cout << "bond with identifier 0:";
    PrintDots(noBond);

    DisplayList3D atoms;
    atoms.Add(CylinderPrimitive(n, Color::Blue(), ca, Color::Grey(), 0.15, 12, 1, 2));
    atoms.Add(SpherePrimitive(n, 0.4, Color::Blue(), 1));
    atoms.Add(SpherePrimitive(ca, 0.4, Color::Grey(), 2));
    std::cout << "bond 12 with atoms 1 and 2:";
    PrintDots(atoms);

    CMemFile document;
    {
        CArchive store(&document, CArchive::store);
        store.m_nObjectSchema = 13;
        atoms.GetOpaqueCylinder(0).Serialize(store);
        store.Close();
    }
    CylinderPrimitive reloaded;
    {
        const std::vector<BYTE> bytes = document.GetBytes();
        CMemFile source(bytes.data(), static_cast<UINT>(bytes.size()));
        CArchive load(&source, CArchive::load);
        load.m_nObjectSchema = 13;
        reloaded.Serialize(load);
    }
    // The bond in the root, the atoms in a nested list: a list's own dots come
    // before those of its nested lists, so at an atom the bond's end comes first.
    DisplayList3D root, residue;
    residue.Add(SpherePrimitive(n, 0.4, Color::Blue(), 1));
    residue.Add(SpherePrimitive(ca, 0.4, Color::Grey(), 2));
    root.Add(reloaded);
    root.Add(residue);
    std::cout << "after a round trip:";
    PrintDots(root);
    std::vector<DotPrimitive> dots;
    root.GetPickDots(dots);
    const DotPrimitive* first = nullptr;
    for (const DotPrimitive& dot : dots)
        if (!first || n.Distance2(dot.GetCoord()) < n.Distance2(first->GetCoord()))
            first = &dot;
    std::cout << "a click on atom 1 takes the first nearest dot: object " << first->GetID()
              << "; skipping identifier 0: object " << Pick(dots, n) << "\n";
    return 0;
}
