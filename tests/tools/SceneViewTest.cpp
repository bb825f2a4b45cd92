#include "Elements.h"
#include "Molecule.h"
#include "Orvscene.h"
#include "SceneBuilder.h"
#include "SceneView.h"

#include "orvcore/graphics/primitives/PointPrimitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>

using namespace orvscene;

namespace {

// The atom a person sees under a picture point, by casting the view ray
// through the structure itself (atoms, element radii, bonds), not through the
// scene: the ball or stick surface nearest the viewer; a stick names the
// atom of the half it is hit on. Sticks are cast as a row of thin slices
// along the bond. Where the ray hits nothing, the nearest atom centre or
// half-bond middle within the pick radius.
class RayCaster
{
public:
    RayCaster(const Molecule& m, const StructureFacts& facts, Style style, const View& view) : m_scale(view.Scale())
    {
        std::vector<bool> bonded(m.atoms.size(), false);
        for (const Bond& b : facts.bonds)
            bonded[static_cast<std::size_t>(b.a)] = bonded[static_cast<std::size_t>(b.b)] = true;
        std::vector<int> spot(m.atoms.size(), -1);
        for (int index : facts.shown) {
            const Atom& a = m.atoms[static_cast<std::size_t>(index)];
            Spot s;
            view.Project(Orvane::Point3d(a.x, a.y, a.z), s.x, s.y, s.depth);
            s.id = facts.ids[static_cast<std::size_t>(index)];
            const double vdw = LookupElement(a.element).vdwRadius;
            s.radius = style == Style::Spacefill ? vdw : style == Style::BallAndStick ? 0.22 * vdw : 0.0;
            s.lone = style == Style::Wire && !bonded[static_cast<std::size_t>(index)];
            dots.push_back(s); // wire draws no balls, but every atom ends a line or has a dot

            spot[static_cast<std::size_t>(index)] = static_cast<int>(atoms.size());
            atoms.push_back(s);
        }
        if (style == Style::Spacefill)
            return;
        for (const Bond& b : facts.bonds) {
            const Spot& p = atoms[static_cast<std::size_t>(spot[static_cast<std::size_t>(b.a)])];
            const Spot& q = atoms[static_cast<std::size_t>(spot[static_cast<std::size_t>(b.b)])];
            for (double t : {0.25, 0.75}) {
                Spot half = p;
                half.x = p.x + t * (q.x - p.x);
                half.y = p.y + t * (q.y - p.y);
                half.depth = p.depth + t * (q.depth - p.depth);
                half.id = t < 0.5 ? p.id : q.id;
                dots.push_back(half);
            }
            if (style == Style::BallAndStick)
                sticks.push_back({p, q});
            else
                wires.push_back({p, q});
        }
    }

    // 0 when nothing is there.
    unsigned Pick(double px, double py) const
    {
        unsigned best = 0;
        double bestDepth = -1e300;
        for (const Spot& s : atoms) {
            double d = std::hypot(s.x - px, s.y - py) / m_scale;
            if (d <= s.radius && s.depth + std::sqrt(s.radius * s.radius - d * d) > bestDepth) {
                bestDepth = s.depth + std::sqrt(s.radius * s.radius - d * d);
                best = s.id;
            }
        }
        const double r = 0.14;
        for (const auto& stick : sticks) {
            // Slices across the axis: at each, the ray meets the cylinder if
            // it passes within r of the axis point, measured across the axis.
            const Spot& p = stick.first;
            const Spot& q = stick.second;
            if (Outside(p, q, px, py, r * m_scale + 1))
                continue;
            const double ax = (q.x - p.x) / m_scale, ay = (q.y - p.y) / m_scale, az = q.depth - p.depth;
            const double length = std::sqrt(ax * ax + ay * ay + az * az);
            for (int k = 0; k <= 120; ++k) {
                const double t = k / 120.0;
                const double dx = px / m_scale - (p.x / m_scale + t * ax), dy = py / m_scale - (p.y / m_scale + t * ay);
                // Points (dx, dy, dz) of the ray relative to the axis point,
                // in the slice's plane: (dx, dy, dz) . axis = 0.
                double depth;
                if (std::fabs(az) < 1e-9 * length) { // the slice holds the ray, or misses it
                    if (std::fabs(dx * ax + dy * ay) > 0.5 * length / 120 * length || dx * dx + dy * dy > r * r)
                        continue;
                    depth = p.depth + t * az + std::sqrt(r * r - dx * dx - dy * dy);
                } else {
                    const double dz = -(dx * ax + dy * ay) / az;
                    if (dx * dx + dy * dy + dz * dz > r * r)
                        continue;
                    depth = p.depth + t * az + dz;
                }
                if (depth > bestDepth) {
                    bestDepth = depth;
                    best = t < 0.5 ? p.id : q.id;
                }
            }
        }
        // Wire: lines 2 px wide, halves in their atoms' colours; dots of 3 px
        // on atoms without bonds.
        for (const auto& wire : wires) {
            const Spot& p = wire.first;
            const Spot& q = wire.second;
            if (Outside(p, q, px, py, 2))
                continue;
            for (int k = 0; k <= 200; ++k) {
                const double t = k / 200.0;
                const double x = p.x + t * (q.x - p.x), y = p.y + t * (q.y - p.y), depth = p.depth + t * (q.depth - p.depth);
                // The nearest point of the line to the point lies within 1 px.
                const double along = std::hypot(q.x - p.x, q.y - p.y);
                if (std::hypot(x - px, y - py) <= 1 + 0.5 * along / 200 && depth > bestDepth &&
                    std::fabs((px - p.x) * (q.y - p.y) - (py - p.y) * (q.x - p.x)) <= along) {
                    bestDepth = depth;
                    best = t < 0.5 ? p.id : q.id;
                }
            }
        }
        for (const Spot& s : atoms)
            if (s.lone && std::hypot(s.x - px, s.y - py) <= 3 && s.depth > bestDepth) {
                bestDepth = s.depth;
                best = s.id;
            }
        if (best)
            return best;
        double bestD = kPickRadius;
        for (const Spot& s : dots) {
            const double d = std::hypot(s.x - px, s.y - py);
            if (d < bestD || (d == bestD && !best)) {
                bestD = d;
                best = s.id;
            }
        }
        return best;
    }

    struct Spot {
        double x = 0, y = 0, depth = 0, radius = 0;
        unsigned id = 0;
        bool lone = false; // drawn as a dot of 3 px
    };
    std::vector<Spot> atoms, dots;
    std::vector<std::pair<Spot, Spot>> sticks, wires;

private:
    // The point lies outside the box of the segment widened by `margin` pixels.
    static bool Outside(const Spot& p, const Spot& q, double px, double py, double margin)
    {
        return px < std::min(p.x, q.x) - margin || px > std::max(p.x, q.x) + margin ||
               py < std::min(p.y, q.y) - margin || py > std::max(p.y, q.y) + margin;
    }
    double m_scale;
};

// The scene of a molecule in a style, with its pick targets.
struct Staged {
    Staged(const Molecule& m, Style style)
    {
        options.style = style;
        facts = AnalyseStructure(m, options);
        coords = Coordinates(m, facts.shown);
        axes = PrincipalAxes(coords);
        scene = BuildScene(m, facts, axes, options);
        targets = GatherPickTargets(scene);
    }
    SceneOptions options;
    StructureFacts facts;
    Orvane::Point3d::Array coords;
    Axes axes;
    Orvane::DisplayList3D scene;
    PickTargets targets;
};

} // namespace

// Random points over and around drawn atoms, in every style and two views:
// the tool picks what the ray cast through the structure sees.
TEST(SceneView, PicksWhatTheRayThroughThePointMeets)
{
    const char* data = std::getenv("ORVCORE_TEST_DATA");
    std::mt19937 random(20261207);
    for (const Molecule& m : {DefaultMolecule(), ReadStructureFile(std::string(data ? data : "tests/data") + "/1hpv.pdb")})
    for (Style style : {Style::BallAndStick, Style::Spacefill, Style::Wire}) {
        const Staged s(m, style);
        for (View view : {View::AlongAxes(s.axes), View::FromAngles(30, -40, 75)}) {
            view.Fit(s.coords, 800, 0);
            RayCaster reference(m, s.facts, style, view);
            int agree = 0, trials = 200, hidden = 0;
            for (int trial = 0; trial < trials; ++trial) {
                const auto& atom = reference.atoms[random() % reference.atoms.size()];
                const double reach = std::max(atom.radius * view.Scale(), kPickRadius);
                std::uniform_real_distribution<double> unit(-1, 1);
                double dx, dy;
                do {
                    dx = unit(random);
                    dy = unit(random);
                } while (dx * dx + dy * dy > 1);
                const double px = atom.x + dx * reach, py = atom.y + dy * reach;
                const unsigned expected = reference.Pick(px, py);
                Pick pick;
                const bool found = PickAt(s.targets, view, px, py, pick);
                agree += found == (expected != 0) && (!found || pick.id == expected);
                hidden += expected != atom.id;
            }
            // Points on the very rim of a ball or stick may go either way.
            EXPECT_GE(agree, trials * 98 / 100) << m.source << " " << StyleName(style);
            if (style == Style::Spacefill) {
                EXPECT_GT(hidden, 20); // the points do test depth
            }
        }
    }
}

// One bond seen across: each half names its own atom, even right beside
// the middle and in the pick margin beside the stick; an atom standing in
// front but not under the point does not steal the pick.
TEST(SceneView, BondHalvesAndAtomsInFront)
{
    Molecule m;
    m.source = "three";
    auto add = [&](int serial, const char* element, double x, double z) {
        Atom a;
        a.serial = serial;
        a.name = element;
        a.residue = "HOH";
        a.element = element;
        a.x = x;
        a.z = z;
        m.atoms.push_back(a);
    };
    add(1, "C", -0.75, 0);
    add(2, "C", 0.75, 0);
    add(3, "O", 0.6, 30); // far from the bond, much nearer the viewer, just beside its middle
    for (Style style : {Style::BallAndStick, Style::Wire}) {
        const Staged s(m, style);
        View view = View::FromAngles(0, 0, 0);
        Orvane::Point3d::Array frame;
        frame.Add(Orvane::Point3d(-20, -20, 0));
        frame.Add(Orvane::Point3d(20, 20, 0));
        view.Fit(frame, 800, 800);
        double x, y, depth;
        view.Project(Orvane::Point3d(0, 0, 0), x, y, depth);
        for (double off : {0.0, -2.0, 4.0}) { // on the stick, and beside it within the pick radius
            Pick pick;
            ASSERT_TRUE(PickAt(s.targets, view, x - 3, y + off, pick)) << StyleName(style) << " " << off;
            EXPECT_EQ(pick.id, 1u) << StyleName(style) << " " << off;
            ASSERT_TRUE(PickAt(s.targets, view, x + 3, y + off, pick)) << StyleName(style) << " " << off;
            EXPECT_EQ(pick.id, 2u) << StyleName(style) << " " << off;
        }
    }
}

TEST(SceneView, PicksNothingAwayFromTheMolecule)
{
    const Molecule m = DefaultMolecule();
    const Staged s(m, Style::Spacefill);
    View view = View::AlongAxes(s.axes);
    view.Fit(s.coords, 800, 0);
    Pick pick;
    EXPECT_FALSE(PickAt(s.targets, view, 5000, 5000, pick));
    EXPECT_FALSE(PickAt(s.targets, view, -1, -1, pick));

    std::ostringstream out, err;
    EXPECT_EQ(orvscene::Run({"--pick", "5000,5000", "--no-timings"}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("picked         nothing within 6 px of (5000.0, 5000.0)"), std::string::npos)
        << out.str();
    std::ostringstream json;
    EXPECT_EQ(orvscene::Run({"--pick", "5000,5000", "--json"}, json, err), 0);
    EXPECT_NE(json.str().find("\"picked\": null"), std::string::npos) << json.str();
}

// A single atom: picked anywhere on its drawn disc and within the pick
// radius of its centre, and nowhere else.
TEST(SceneView, PickReachOfALoneAtom)
{
    Molecule m;
    m.source = "one";
    Atom a;
    a.serial = 7;
    a.name = "ZN";
    a.residue = "ZN";
    a.element = "Zn";
    m.atoms.push_back(a);
    for (Style style : {Style::BallAndStick, Style::Spacefill, Style::Wire}) {
        const Staged s(m, style);
        View view = View::FromAngles(0, 0, 0);
        view.Fit(s.coords, 800, 0);
        double x, y, depth;
        view.Project(Orvane::Point3d(0, 0, 0), x, y, depth);
        double drawn = style == Style::Spacefill      ? LookupElement("Zn").vdwRadius * view.Scale()
                       : style == Style::BallAndStick ? 0.22 * LookupElement("Zn").vdwRadius * view.Scale()
                                                      : 3.0;
        double reach = std::max(drawn, kPickRadius);
        Pick pick;
        EXPECT_TRUE(PickAt(s.targets, view, x + reach - 0.01, y, pick)) << StyleName(style);
        EXPECT_EQ(pick.id, 1u); // the first atom, whatever its serial
        EXPECT_NEAR(pick.distance, reach - 0.01, 1e-9);
        EXPECT_FALSE(PickAt(s.targets, view, x, y + reach + 0.01, pick)) << StyleName(style);
    }
}
