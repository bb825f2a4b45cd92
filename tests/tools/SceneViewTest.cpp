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

// The atom a person sees under a picture point, found by projecting every
// atom and bond of the structure: of the atoms whose drawn disc covers the
// point (at the depth of the sphere's surface there) or whose centre lies
// within the pick radius, and of the bonds whose middle does (naming their
// first atom), the one nearest the viewer.
class BruteForcePicker
{
public:
    BruteForcePicker(const Molecule& m, const StructureFacts& facts, Style style, const View& view)
    {
        std::vector<bool> bonded(m.atoms.size(), false);
        for (const Bond& b : facts.bonds)
            bonded[static_cast<std::size_t>(b.a)] = bonded[static_cast<std::size_t>(b.b)] = true;
        for (int index : facts.shown) {
            const Atom& a = m.atoms[static_cast<std::size_t>(index)];
            Spot s;
            view.Project(Orvane::Point3d(a.x, a.y, a.z), s.x, s.y, s.depth);
            s.id = facts.ids[static_cast<std::size_t>(index)];
            double vdw = LookupElement(a.element).vdwRadius;
            // Spacefill draws van der Waals spheres, ball-and-stick a fifth of
            // them, wire a 3-pixel dot on atoms without bonds only.
            s.radius = style == Style::Spacefill      ? vdw * view.Scale()
                       : style == Style::BallAndStick ? 0.22 * vdw * view.Scale()
                       : bonded[static_cast<std::size_t>(index)] ? 0.0
                                                                  : 3.0;
            atoms.push_back(s);
        }
        if (style != Style::BallAndStick)
            return;
        for (const Bond& b : facts.bonds) {
            const Atom& x = m.atoms[static_cast<std::size_t>(b.a)];
            const Atom& y = m.atoms[static_cast<std::size_t>(b.b)];
            Spot s;
            view.Project(Orvane::Point3d((x.x + y.x) / 2, (x.y + y.y) / 2, (x.z + y.z) / 2), s.x, s.y, s.depth);
            s.id = facts.ids[static_cast<std::size_t>(b.a)];
            middles.push_back(s);
        }
    }

    // 0 when nothing is there.
    unsigned Pick(double px, double py, double scale) const
    {
        unsigned best = 0;
        double bestDepth = -1e300;
        auto offer = [&](unsigned id, double depth) {
            if (depth > bestDepth) {
                bestDepth = depth;
                best = id;
            }
        };
        for (const Spot& s : atoms) {
            double d = std::hypot(s.x - px, s.y - py);
            if (d <= kPickRadius)
                offer(s.id, s.depth);
            if (d <= s.radius)
                offer(s.id, s.depth + std::sqrt(s.radius * s.radius - d * d) / scale);
        }
        for (const Spot& s : middles)
            if (std::hypot(s.x - px, s.y - py) <= kPickRadius)
                offer(s.id, s.depth);
        return best;
    }

    // The atom whose projected centre is nearest the point.
    unsigned Nearest(double px, double py) const
    {
        unsigned best = 0;
        double bestD = 1e300;
        for (const Spot& s : atoms)
            if (std::hypot(s.x - px, s.y - py) < bestD) {
                bestD = std::hypot(s.x - px, s.y - py);
                best = s.id;
            }
        return best;
    }

    struct Spot {
        double x = 0, y = 0, depth = 0, radius = 0;
        unsigned id = 0;
    };
    std::vector<Spot> atoms, middles;
};

// The scene of a molecule in a style, with its pick dots.
struct Staged {
    Staged(const Molecule& m, Style style)
    {
        options.style = style;
        facts = AnalyseStructure(m, options);
        coords = Coordinates(m, facts.shown);
        axes = PrincipalAxes(coords);
        scene = BuildScene(m, facts, axes, options);
        scene.GetPickDots(dots);
    }
    SceneOptions options;
    StructureFacts facts;
    Orvane::Point3d::Array coords;
    Axes axes;
    Orvane::DisplayList3D scene;
    std::vector<Orvane::DotPrimitive> dots;
};

} // namespace

// Random points over drawn atoms, in every style and two views: the tool
// picks what the brute-force projection sees in front.
TEST(SceneView, PicksTheFrontMostAtomUnderThePoint)
{
    const char* data = std::getenv("ORVCORE_TEST_DATA");
    std::mt19937 random(20261207);
    for (const Molecule& m : {DefaultMolecule(), ReadStructureFile(std::string(data ? data : "tests/data") + "/1hpv.pdb")})
    for (Style style : {Style::BallAndStick, Style::Spacefill, Style::Wire}) {
        const Staged s(m, style);
        for (View view : {View::AlongAxes(s.axes), View::FromAngles(30, -40, 75)}) {
            view.Fit(s.coords, 800, 0);
            Picture picture = DrawScene(s.scene, view);
            BruteForcePicker reference(m, s.facts, style, view);
            int hidden = 0; // points where the atom nearest in the plane is not the one in front
            for (int trial = 0; trial < 150; ++trial) {
                const auto& atom = reference.atoms[random() % reference.atoms.size()];
                double reach = std::max(atom.radius, kPickRadius);
                std::uniform_real_distribution<double> unit(-1, 1);
                double dx, dy;
                do {
                    dx = unit(random);
                    dy = unit(random);
                } while (dx * dx + dy * dy > 1);
                double px = atom.x + dx * reach, py = atom.y + dy * reach;
                unsigned expected = reference.Pick(px, py, view.Scale());
                Pick pick;
                bool found = PickAt(s.dots, picture, view, px, py, pick);
                ASSERT_EQ(found, expected != 0);
                EXPECT_EQ(pick.id, expected) << m.source << " " << StyleName(style) << " at " << px << "," << py;
                hidden += reference.Nearest(px, py) != expected;
            }
            // The points do test depth: many of them lie nearer, in the
            // plane, to an atom that something else hides.
            if (style == Style::Spacefill) {
                EXPECT_GT(hidden, 30);
            }
        }
    }
}

TEST(SceneView, PicksNothingAwayFromTheMolecule)
{
    const Molecule m = DefaultMolecule();
    const Staged s(m, Style::Spacefill);
    View view = View::AlongAxes(s.axes);
    view.Fit(s.coords, 800, 0);
    Picture picture = DrawScene(s.scene, view);
    Pick pick;
    EXPECT_FALSE(PickAt(s.dots, picture, view, 5000, 5000, pick));
    EXPECT_FALSE(PickAt(s.dots, picture, view, -1, -1, pick));

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
        Picture picture = DrawScene(s.scene, view);
        double x, y, depth;
        view.Project(Orvane::Point3d(0, 0, 0), x, y, depth);
        double drawn = style == Style::Spacefill      ? LookupElement("Zn").vdwRadius * view.Scale()
                       : style == Style::BallAndStick ? 0.22 * LookupElement("Zn").vdwRadius * view.Scale()
                                                      : 3.0;
        double reach = std::max(drawn, kPickRadius);
        Pick pick;
        EXPECT_TRUE(PickAt(s.dots, picture, view, x + reach - 0.01, y, pick)) << StyleName(style);
        EXPECT_EQ(pick.id, 1u); // the first atom, whatever its serial
        EXPECT_NEAR(pick.distance, reach - 0.01, 1e-9);
        EXPECT_FALSE(PickAt(s.dots, picture, view, x, y + reach + 0.01, pick)) << StyleName(style);
    }
}
