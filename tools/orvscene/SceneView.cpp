#include "SceneView.h"

#include "SceneWalk.h"

#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Orvane;

namespace orvscene {

namespace {

Rgb ToRgb(const Color& c)
{
    return {c.GetR(), c.GetG(), c.GetB()};
}

// Paints what it visits into the picture: spheres, cylinders, lines, dots,
// 3D texts and icons, each through its list's aggregate transformation.
class Painter : public SceneVisitor
{
public:
    Painter(const View& view, Picture& picture) : m_view(view), m_picture(picture) {}

    using SceneVisitor::Primitive;
    void Primitive(const SpherePrimitive& s, const char*, const SceneListVisit& at)
    {
        double x, y, z;
        Project(at, s.GetCenter(), x, y, z);
        m_picture.discs.push_back({x, y, s.GetRadius() * m_view.Scale(), z, ToRgb(s.GetColor()), s.GetID()});
    }
    void Primitive(const CylinderPrimitive& c, const char*, const SceneListVisit& at)
    {
        double x, y, z, x2, y2, z2;
        Project(at, c.GetEnd1(), x, y, z);
        Project(at, c.GetEnd2(), x2, y2, z2);
        // Painted just behind the nearer end, so the balls cover the joints.
        m_picture.bands.push_back({x, y, x2, y2, 2 * c.GetRadius() * m_view.Scale(), std::min(z, z2) - 0.01,
                                   ToRgb(c.GetColor1()), ToRgb(c.GetColor2())});
    }
    void Primitive(const LinePrimitive& l, const char*, const SceneListVisit& at)
    {
        double x, y, z, x2, y2, z2;
        Project(at, l.GetEnd1(), x, y, z);
        Project(at, l.GetEnd2(), x2, y2, z2);
        double mx = (x + x2) / 2, my = (y + y2) / 2, depth = (z + z2) / 2;
        double w = std::max(1, l.GetWidth());
        m_picture.strokes.push_back({x, y, mx, my, w, depth, ToRgb(l.GetColor1())});
        m_picture.strokes.push_back({mx, my, x2, y2, w, depth, ToRgb(l.GetColor2())});
    }
    void Primitive(const DotPrimitive& d, const char*, const SceneListVisit& at)
    {
        double x, y, z;
        Project(at, d.GetCoord(), x, y, z);
        m_picture.discs.push_back({x, y, 3, z, ToRgb(d.GetColor()), d.GetID()});
    }
    void Primitive(const Text3DPrimitive& t, const char*, const SceneListVisit& at)
    {
        double x, y, z;
        Project(at, t.GetPosition(), x, y, z);
        m_picture.labels.push_back({x + 6, y - 6, z + 1e3, t.GetText(), Rgb{30, 30, 30}});
    }
    void Primitive(const IconPrimitive& icon, const char*, const SceneListVisit& at)
    {
        double x, y, z;
        Project(at, icon.GetCoord(), x, y, z);
        Rgb c = ToRgb(icon.GetColor());
        m_picture.strokes.push_back({x - 8, y, x + 8, y, 2, z + 1e3, c});
        m_picture.strokes.push_back({x, y - 8, x, y + 8, 2, z + 1e3, c});
    }

private:
    // Model point -> picture point through the list's aggregate transformation.
    void Project(const SceneListVisit& at, const Point3d& p, double& x, double& y, double& depth) const
    {
        m_view.Project(at.aggregate.Transform(p), x, y, depth);
    }

    const View& m_view;
    Picture& m_picture;
};

} // namespace

View View::AlongAxes(const Axes& axes)
{
    View v;
    Point3d x = axes.axis[0], y = axes.axis[1];
    Point3d z = x.Cross(y);
    const Point3d* columns[3] = {&x, &y, &z};
    for (int c = 0; c < 3; ++c) {
        v.m_rotation(0, c) = columns[c]->GetX();
        v.m_rotation(1, c) = columns[c]->GetY();
        v.m_rotation(2, c) = columns[c]->GetZ();
    }
    return v;
}

View View::FromAngles(double ax, double ay, double az)
{
    View v;
    v.m_rotation = Matrix3x3(XAxis, ax) * Matrix3x3(YAxis, ay) * Matrix3x3(ZAxis, az);
    return v;
}

void View::Fit(const Point3d::Array& points, int width, int height, double margin)
{
    m_width = width;
    m_height = height;
    double lo[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    double hi[2] = {-lo[0], -lo[1]};
    for (int i = 0; i < points.GetSize(); ++i) {
        Point3d q = m_rotation.Rotate(static_cast<const Point3d&>(points[i]));
        lo[0] = std::min(lo[0], q.GetX());
        hi[0] = std::max(hi[0], q.GetX());
        lo[1] = std::min(lo[1], q.GetY());
        hi[1] = std::max(hi[1], q.GetY());
    }
    if (points.GetSize() == 0)
        lo[0] = lo[1] = hi[0] = hi[1] = 0;
    double spanX = hi[0] - lo[0] + 2 * margin, spanY = hi[1] - lo[1] + 2 * margin;
    if (height <= 0) // as tall as the structure needs at this width
        m_height = height = std::max(1, static_cast<int>(std::lround(width * spanY / spanX)));
    m_scale = std::min(width / spanX, height / spanY);
    m_offsetX = width / 2.0 - m_scale * (lo[0] + hi[0]) / 2;
    m_offsetY = height / 2.0 + m_scale * (lo[1] + hi[1]) / 2;
}

void View::Project(const Point3d& p, double& x, double& y, double& depth) const
{
    Point3d q = m_rotation.Rotate(p);
    x = m_offsetX + m_scale * q.GetX();
    y = m_offsetY - m_scale * q.GetY();
    depth = q.GetZ();
}

Picture DrawScene(const DisplayList3D& root, const View& view)
{
    Picture picture;
    picture.width = view.Width();
    picture.height = view.Height();
    WalkScene(root, Painter(view, picture));
    return picture;
}

bool PickAt(const std::vector<DotPrimitive>& dots, const Picture& picture, const View& view, double px, double py,
            Pick& pick, double radius)
{
    bool found = false;
    // Nearest the viewer wins; at equal depth, nearest the point.
    auto consider = [&](unsigned id, double depth, double d2) {
        if (found && (depth < pick.depth || (depth == pick.depth && d2 >= pick.distance * pick.distance)))
            return;
        found = true;
        pick.id = id;
        pick.depth = depth;
        pick.distance = std::sqrt(d2);
    };
    const double r2 = radius * radius;
    for (const DotPrimitive& dot : dots) {
        double x, y, depth;
        view.Project(dot.GetCoord(), x, y, depth);
        double d2 = (x - px) * (x - px) + (y - py) * (y - py);
        if (d2 <= r2)
            consider(dot.GetID(), depth, d2);
    }
    // A drawn sphere is hit anywhere on its disc, at the depth of its surface
    // under the point.
    for (const Picture::Disc& disc : picture.discs) {
        double d2 = (disc.x - px) * (disc.x - px) + (disc.y - py) * (disc.y - py);
        if (disc.id != 0 && d2 <= disc.radius * disc.radius)
            consider(disc.id, disc.depth + std::sqrt(disc.radius * disc.radius - d2) / view.Scale(), d2);
    }
    return found;
}

} // namespace orvscene
