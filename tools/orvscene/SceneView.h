#pragma once

#include "Picture.h"
#include "SceneBuilder.h"

#include "orvcore/geometry/Matrix3x3.h"
#include "orvcore/geometry/Matrix4x4.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"

#include <functional>
#include <vector>

namespace orvscene {

// An orthographic view: model points turn by `rotation` (row vectors,
// p * rotation) into view coordinates with x to the right, y up and z toward
// the viewer, then scale into a picture of width x height pixels.
class View
{
public:
    // Looks along the smallest principal axis, the largest across the picture.
    static View AlongAxes(const Axes& axes);
    // Turns the model by the given angles (degrees) about x, then y, then z.
    static View FromAngles(double ax, double ay, double az);

    // Centres the points in the picture with a margin, scaled to fit. A
    // height of 0 takes the height that the points' extent needs.
    void Fit(const Orvane::Point3d::Array& points, int width, int height, double marginAngstrom = 2.5);

    // Picture coordinates (x right, y down) and depth (larger is nearer).
    void Project(const Orvane::Point3d& p, double& x, double& y, double& depth) const;
    double Scale() const { return m_scale; }
    const Orvane::Matrix3x3& Rotation() const { return m_rotation; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    Orvane::Matrix3x3 m_rotation{Orvane::Matrix3x3::IdentityMatrix};
    double m_scale = 1;
    double m_offsetX = 0, m_offsetY = 0;
    int m_width = 800, m_height = 800;
};

// Draws the scene's spheres, cylinders, lines, dots, 3D texts and icons,
// through every list's local transformation, as the picture's items.
Picture DrawScene(const Orvane::DisplayList3D& root, const View& view);

// How far from the pointer, in picture pixels, a pick dot can be picked.
const double kPickRadius = 6;
// The radius of the disc that the picture draws for a dot, in pixels.
const double kDotRadius = 3;

// What a click can pick in a scene, in the root's frame: the spheres and
// cylinders as drawn, and the pick dots. The dots are the library's, except
// that a bond's middle dot (which names its first atom whichever half it
// stands on) gives way to one dot in the middle of each half, naming that
// half's atom; lines get such half dots too.
struct PickTargets {
    struct Ball {
        Orvane::Point3d centre;
        double radius;
        unsigned id;
    };
    struct Stick {
        Orvane::Point3d end1, end2;
        double radius;
        unsigned id1, id2; // the atoms of the halves from end1 and from end2
    };
    struct Line {
        Orvane::Point3d end1, end2;
        double width; // pixels
        unsigned id1, id2;
    };
    struct Spot {
        Orvane::Point3d at;
        unsigned id;
    };
    std::vector<Ball> balls;
    std::vector<Stick> sticks;
    std::vector<Line> lines;
    std::vector<Spot> spots; // drawn dots
    std::vector<Orvane::DotPrimitive> dots;
};

// `library`, when given, receives the number of the library's own pick dots
// of the scene (before the half dots replace bonds' middle dots).
PickTargets GatherPickTargets(const Orvane::DisplayList3D& root, std::size_t* library = nullptr);
// The targets' dots one by one in their order, by place and identifier, for
// what picks by dots only (nothing else is gathered or kept).
void VisitPickDots(const Orvane::DisplayList3D& root, const std::function<void(const Orvane::Point3d&, unsigned)>& dot,
                   std::size_t* library = nullptr);

struct Pick {
    unsigned id = 0;     // object identifier
    double distance = 0; // from the point to the picked ball's or dot's centre (a stick's axis), in pixels
    double depth = 0;    // of what was hit (larger is nearer the viewer)
};

// What a click at picture point (x, y) picks, by the one rule the page
// follows too. What is drawn under the point wins (spheres, cylinders, lines
// as wide as drawn, dots as large as drawn), the one whose surface is nearest
// the viewer; a cylinder or line names the atom of the half hit.
// Only where none is drawn, the pick dots within `radius` pixels compete: the
// nearest to the point wins, at equal distance the nearer to the viewer.
// False when there is none.
bool PickAt(const PickTargets& targets, const View& view, double x, double y, Pick& pick,
            double radius = kPickRadius);

} // namespace orvscene
