#include "orvcore/graphics/scene/IconLibrary.h"

#include "orvcore/core/LoadOrder.h"

#include <cmath>

namespace Orvane {

IconLibrary::IconDefinitionMap* IconLibrary::m_pIconDefinitions = nullptr;
IconLibrary::IconIndexMap* IconLibrary::m_pIconIndex = nullptr;
unsigned int IconLibrary::m_iconID = 0;

namespace {

constexpr UINT kHashTableSize = 257;
constexpr double kThirtyDegreesInRadians = 0.5235987755982988;

// The two maps, made on first use and freed when the library is unloaded:
// the index first, then the shapes.
class IconRegistry
{
public:
    IconRegistry()
    {
        IconLibrary::m_pIconDefinitions = new IconLibrary::IconDefinitionMap;
        IconLibrary::m_pIconIndex = new IconLibrary::IconIndexMap;
    }
    ~IconRegistry()
    {
        delete IconLibrary::m_pIconIndex;
        IconLibrary::m_pIconIndex = nullptr;
        NoteUnloadStep("IconLibrary::m_pIconIndex");
        delete IconLibrary::m_pIconDefinitions;
        IconLibrary::m_pIconDefinitions = nullptr;
        NoteUnloadStep("IconLibrary::m_pIconDefinitions");
    }
    IconRegistry(const IconRegistry&) = delete;
    IconRegistry& operator=(const IconRegistry&) = delete;

    bool built = false;
};

Color OpaqueWhite()
{
    Color color;
    color.SetRGB(1.0f, 1.0f, 1.0f, 0.0f);
    return color;
}

Color OpaqueCyan()
{
    Color color;
    color.SetRGB(0.0f, 1.0f, 1.0f, 0.0f);
    return color;
}

void AddLine(DisplayList3D& list, const Point3d& end1, const Point3d& end2, const Color& color)
{
    list.Add(LinePrimitive(end1, end2, color, 1, 0));
}

DisplayList3D Jack()
{
    DisplayList3D list;
    const Color color = OpaqueWhite();
    AddLine(list, Point3d(-0.5, 0.0, 0.0), Point3d(0.5, 0.0, 0.0), color);
    AddLine(list, Point3d(0.0, -0.5, 0.0), Point3d(0.0, 0.5, 0.0), color);
    AddLine(list, Point3d(0.0, 0.0, -0.5), Point3d(0.0, 0.0, 0.5), color);
    return list;
}

DisplayList3D Cross()
{
    DisplayList3D list;
    const Color color = OpaqueWhite();
    AddLine(list, Point3d(-0.5, 0.0, 0.0), Point3d(0.5, 0.0, 0.0), color);
    AddLine(list, Point3d(0.0, -0.5, 0.0), Point3d(0.0, 0.5, 0.0), color);
    return list;
}

// An equilateral triangle of side 1 centred on its centroid.
DisplayList3D Triangle()
{
    DisplayList3D list;
    const double below = 0.5 * std::tan(kThirtyDegreesInRadians);
    const double above = 0.5 / std::cos(kThirtyDegreesInRadians);
    list.Add(UnlitTrianglePrimitive(Point3d(-0.5, -below, 0.0), Point3d(0.5, -below, 0.0), Point3d(0.0, above, 0.0),
                                    OpaqueCyan(), 0));
    return list;
}

// An octahedron: a square equator turned 30 degrees about Y, joined to an
// apex above and one below. Each equator edge is drawn once per apex.
DisplayList3D Diamond()
{
    DisplayList3D list;
    const Color color = Color::White();
    Point3d equator[4] = {Point3d(-0.5, 0.0, -0.5), Point3d(-0.5, 0.0, 0.5), Point3d(0.5, 0.0, 0.5),
                          Point3d(0.5, 0.0, -0.5)};
    for (Point3d& p : equator)
        p.RotateAboutY(30.0);
    const Point3d apexes[2] = {Point3d(0.0, 1.0, 0.0), Point3d(0.0, -1.0, 0.0)};
    for (const Point3d& apex : apexes) {
        for (int i = 0; i < 4; ++i) {
            const Point3d& from = equator[i];
            const Point3d& to = equator[(i + 1) % 4];
            AddLine(list, from, to, color);
            AddLine(list, to, apex, color);
            AddLine(list, apex, from, color);
        }
    }
    return list;
}

void Register(unsigned int id, const char* name, const DisplayList3D& shape)
{
    (*IconLibrary::m_pIconDefinitions)[id] = shape;
    (*IconLibrary::m_pIconIndex)[CString(name)] = id;
}

} // namespace

void IconLibrary::Initialize()
{
    static IconRegistry registry;
    if (registry.built)
        return;
    m_pIconDefinitions->InitHashTable(kHashTableSize);
    m_pIconIndex->InitHashTable(kHashTableSize);
    // Marked first, so that a call made while the icons are built returns
    // at once.
    registry.built = true;
    Register(1, "ORV.jack", Jack());
    Register(2, "ORV.cross", Cross());
    Register(3, "ORV.triangle", Triangle());
    Register(4, "ORV.diamond", Diamond());
    m_iconID = 4;
}

IconLibrary::IconDefinitionMap& IconLibrary::GetIconDefinitions()
{
    Initialize();
    return *m_pIconDefinitions;
}

IconLibrary::IconIndexMap& IconLibrary::GetIconIndex()
{
    Initialize();
    return *m_pIconIndex;
}

unsigned int IconLibrary::GetNewIconID()
{
    Initialize();
    return ++m_iconID;
}

} // namespace Orvane
