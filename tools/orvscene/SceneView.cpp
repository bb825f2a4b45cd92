#include "SceneView.h"

#include "SceneWalk.h"

#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"

#include <algorithm>
#include <functional>
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
        m_picture.discs.push_back({x, y, kDotRadius, z, ToRgb(d.GetColor()), d.GetID()});
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

namespace {

// Gathers the balls and sticks a click can hit (unless only the dots are
// wanted), and the middles of bonds and lines, where the half dots go.
class PickGatherer : public SceneVisitor
{
public:
    PickGatherer(PickTargets& targets, bool dotsOnly) : m_targets(targets), m_dotsOnly(dotsOnly) {}

    using SceneVisitor::Primitive;
    void Primitive(const SpherePrimitive& s, const char*, const SceneListVisit& at)
    {
        if (s.GetID() != 0 && !m_dotsOnly)
            m_targets.balls.push_back({at.aggregate.Transform(s.GetCenter()), s.GetRadius(), s.GetID()});
    }
    void Primitive(const CylinderPrimitive& c, const char*, const SceneListVisit& at)
    {
        if (c.GetID() == 0)
            return;
        const unsigned id1 = c.GetEnd1ID() ? c.GetEnd1ID() : c.GetID();
        const unsigned id2 = c.GetEnd2ID() ? c.GetEnd2ID() : c.GetID();
        const Point3d a = at.aggregate.Transform(c.GetEnd1()), b = at.aggregate.Transform(c.GetEnd2());
        if (!m_dotsOnly)
            m_targets.sticks.push_back({a, b, c.GetRadius(), id1, id2});
        // The library's middle dot, which the half dots replace.
        middles.push_back({at.aggregate.Transform(c.GetEnd1().MidPoint(c.GetEnd2())), c.GetID(), a, b, id1, id2});
    }
    void Primitive(const LinePrimitive& l, const char*, const SceneListVisit& at)
    {
        const Point3d a = at.aggregate.Transform(l.GetEnd1()), b = at.aggregate.Transform(l.GetEnd2());
        halves.push_back({a, b, l.GetID1(), l.GetID2()});
        if ((l.GetID1() != 0 || l.GetID2() != 0) && !m_dotsOnly)
            m_targets.lines.push_back({a, b, std::max(1.0, static_cast<double>(l.GetWidth())), l.GetID1(), l.GetID2()});
    }
    void Primitive(const DotPrimitive& d, const char*, const SceneListVisit& at)
    {
        if (d.GetID() != 0 && !m_dotsOnly)
            m_targets.spots.push_back({at.aggregate.Transform(d.GetCoord()), d.GetID()});
    }

    struct Middle {
        Point3d at;
        unsigned id;
        Point3d a, b;
        unsigned id1, id2;
    };
    struct Halves {
        Point3d a, b;
        unsigned id1, id2;
    };
    std::vector<Middle> middles;
    std::vector<Halves> halves;

private:
    PickTargets& m_targets;
    bool m_dotsOnly;
};

template <class Keep>
void AddHalfDots(const Point3d& a, const Point3d& b, unsigned id1, unsigned id2, Keep& keep)
{
    if (id1 != 0)
        keep(a * 0.75 + b * 0.25, id1);
    if (id2 != 0)
        keep(a * 0.25 + b * 0.75, id2);
}

// Keeps the dots as the library's primitives, half dots made colourless.
struct KeepDots {
    std::vector<DotPrimitive>& dots;
    void Expect(std::size_t count) { dots.reserve(count); }
    void operator()(const DotPrimitive& dot) { dots.push_back(dot); }
    void operator()(const Point3d& at, unsigned id) { dots.emplace_back(at, Color(0, 0, 0, 0), 1, id); }
};

// Hands over each dot's place and identifier only.
struct PassDots {
    const std::function<void(const Point3d&, unsigned)>& pass;
    void Expect(std::size_t) {}
    void operator()(const DotPrimitive& dot) { pass(dot.GetCoord(), dot.GetID()); }
    void operator()(const Point3d& at, unsigned id) { pass(at, id); }
};

} // namespace

namespace {

// The targets, and their dots handed to `keep` in order: the library's as
// they are, the half dots by place and identifier.
template <class Keep>
void Gather(const DisplayList3D& root, PickTargets& targets, bool dotsOnly, std::size_t* library, Keep keep)
{
    PickGatherer gatherer(targets, dotsOnly);
    WalkScene(root, gatherer);
    std::vector<DotPrimitive> dots;
    root.GetPickDots(dots);
    if (library)
        *library = dots.size();

    // A middle dot is the library's when it stands where the cylinder's
    // middle does (to rounding) with the cylinder's identifier; one that a
    // clip plane removed leaves no half dots either.
    auto close = [](const Point3d& p, const Point3d& q) { return p.Distance2(q) <= 1e-12 * (1 + p.Length2()); };
    std::vector<bool> used(gatherer.middles.size(), false);
    std::size_t next = 0; // middles come in the dots' order
    keep.Expect(dots.size() + gatherer.middles.size() + 2 * gatherer.halves.size());
    for (const DotPrimitive& dot : dots) {
        bool middle = false;
        for (std::size_t k = next; k < gatherer.middles.size() && k < next + 2 && !middle; ++k) {
            const auto& m = gatherer.middles[k];
            if (!used[k] && m.id == dot.GetID() && close(m.at, dot.GetCoord())) {
                used[k] = middle = true;
                next = k + 1;
                AddHalfDots(m.a, m.b, m.id1, m.id2, keep);
            }
        }
        if (!middle)
            keep(dot);
    }
    for (const auto& h : gatherer.halves)
        AddHalfDots(h.a, h.b, h.id1, h.id2, keep);
}

} // namespace

PickTargets GatherPickTargets(const DisplayList3D& root, std::size_t* library)
{
    PickTargets targets;
    Gather(root, targets, false, library, KeepDots{targets.dots});
    return targets;
}

void VisitPickDots(const DisplayList3D& root, const std::function<void(const Point3d&, unsigned)>& dot,
                   std::size_t* library)
{
    PickTargets targets;
    Gather(root, targets, true, library, PassDots{dot});
}

bool PickAt(const PickTargets& targets, const View& view, double px, double py, Pick& pick, double radius)
{
    const double scale = view.Scale();
    // The view ray through the point runs along depth; work in angstrom.
    const double ox = px / scale, oy = py / scale;
    bool hit = false;
    auto offer = [&](unsigned id, double depth, double distance) {
        if (hit && depth <= pick.depth)
            return;
        hit = true;
        pick.id = id;
        pick.depth = depth;
        pick.distance = distance;
    };
    for (const PickTargets::Ball& b : targets.balls) {
        double x, y, depth;
        view.Project(b.centre, x, y, depth);
        const double d2 = ((x - px) * (x - px) + (y - py) * (y - py)) / (scale * scale);
        if (d2 <= b.radius * b.radius)
            offer(b.id, depth + std::sqrt(b.radius * b.radius - d2), std::sqrt(d2) * scale);
    }
    for (const PickTargets::Stick& s : targets.sticks) {
        double x1, y1, z1, x2, y2, z2;
        view.Project(s.end1, x1, y1, z1);
        view.Project(s.end2, x2, y2, z2);
        // Axis from end 1 in angstrom; the ray is (ox, oy, t).
        const double ax = x2 / scale - x1 / scale, ay = y2 / scale - y1 / scale, az = z2 - z1;
        const double length2 = ax * ax + ay * ay + az * az;
        const double across2 = ax * ax + ay * ay; // the axis's extent across the view
        if (across2 <= 1e-12 * length2 || length2 == 0)
            continue; // seen end on: its balls stand for it
        // Nearest approach of the ray to the axis, in the picture plane.
        const double wx = ox - x1 / scale, wy = oy - y1 / scale;
        const double u = (wx * ax + wy * ay) / across2; // share of the axis across the view
        const double ex = wx - u * ax, ey = wy - u * ay;
        const double off2 = ex * ex + ey * ey; // squared distance of the ray from the axis
        if (off2 > s.radius * s.radius)
            continue;
        // The front surface: the axis's depth there plus the cylinder's
        // reach toward the viewer at that offset; the half is the one that
        // holds the surface point.
        const double depth = z1 + u * az + std::sqrt((s.radius * s.radius - off2) * length2 / across2);
        const double along = (wx * ax + wy * ay + (depth - z1) * az) / length2;
        if (along < 0 || along > 1)
            continue;
        offer(along < 0.5 ? s.id1 : s.id2, depth, std::sqrt(off2) * scale);
    }
    // Lines and dots as the picture draws them: strokes of their width,
    // discs of kDotRadius.
    for (const PickTargets::Line& l : targets.lines) {
        double x1, y1, z1, x2, y2, z2;
        view.Project(l.end1, x1, y1, z1);
        view.Project(l.end2, x2, y2, z2);
        const double dx = x2 - x1, dy = y2 - y1, length2 = dx * dx + dy * dy;
        const double u = length2 > 0 ? std::min(1.0, std::max(0.0, ((px - x1) * dx + (py - y1) * dy) / length2)) : 0;
        const double ex = x1 + u * dx - px, ey = y1 + u * dy - py;
        const unsigned id = u < 0.5 ? l.id1 : l.id2;
        if (id != 0 && ex * ex + ey * ey <= l.width * l.width / 4)
            offer(id, z1 + u * (z2 - z1), std::sqrt(ex * ex + ey * ey));
    }
    for (const PickTargets::Spot& spot : targets.spots) {
        double x, y, depth;
        view.Project(spot.at, x, y, depth);
        const double d2 = (x - px) * (x - px) + (y - py) * (y - py);
        if (d2 <= kDotRadius * kDotRadius)
            offer(spot.id, depth, std::sqrt(d2));
    }
    if (hit)
        return true;

    double best2 = radius * radius;
    for (const DotPrimitive& dot : targets.dots) {
        double x, y, depth;
        view.Project(dot.GetCoord(), x, y, depth);
        const double d2 = (x - px) * (x - px) + (y - py) * (y - py);
        if (d2 < best2 || (hit && d2 == best2 && depth > pick.depth) || (!hit && d2 == best2)) {
            hit = true;
            best2 = d2;
            pick.id = dot.GetID();
            pick.depth = depth;
            pick.distance = std::sqrt(d2);
        }
    }
    return hit;
}

} // namespace orvscene
