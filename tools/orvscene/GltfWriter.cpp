#include "GltfWriter.h"

#include "Jobs.h"
#include "Json.h"
#include "SceneWalk.h"

#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <ostream>
#include <vector>

using namespace Orvane;

namespace orvscene {

namespace {

const double kPi = 3.14159265358979323846;

// glTF numbers must be finite.
std::string Num(double v)
{
    return JsonNumber(v, 9);
}

std::string Join(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty())
            out += ',';
        out += item;
    }
    return out;
}

std::uint32_t Packed(const Color& c)
{
    return static_cast<std::uint32_t>(c.GetR()) << 16 | static_cast<std::uint32_t>(c.GetG()) << 8 | c.GetB();
}

// glTF colours are linear; the scene's are sRGB bytes.
double Linear(unsigned channel)
{
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

void PushLinear(std::uint32_t rgb, std::vector<float>& out)
{
    out.push_back(static_cast<float>(Linear(rgb >> 16 & 0xff)));
    out.push_back(static_cast<float>(Linear(rgb >> 8 & 0xff)));
    out.push_back(static_cast<float>(Linear(rgb & 0xff)));
}

void Push(const Point3d& p, std::vector<float>& out)
{
    for (double v : {p.GetX(), p.GetY(), p.GetZ()})
        out.push_back(std::isfinite(v) ? static_cast<float>(v) : 0.0f);
}

std::string Hex(std::uint32_t rgb)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%06x", rgb);
    return buffer;
}

// A block of the binary buffer, kept as numbers until the file is written.
struct BinBlock {
    std::vector<float> floats;
    std::vector<std::uint32_t> wide;
    std::vector<std::uint16_t> narrow;

    const char* Data() const
    {
        return !floats.empty() ? reinterpret_cast<const char*>(floats.data())
               : !wide.empty() ? reinterpret_cast<const char*>(wide.data())
                               : reinterpret_cast<const char*>(narrow.data());
    }
    std::size_t Bytes() const
    {
        return floats.size() * sizeof(float) + wide.size() * sizeof(std::uint32_t) +
               narrow.size() * sizeof(std::uint16_t);
    }
};

// The binary buffer and the JSON arrays that index it.
class GlbBuilder
{
public:
    // A vertex or instance attribute of floats; positions get their bounds.
    int Floats(std::vector<float> values, int components, bool bounds, int target)
    {
        const char* type = components == 4 ? "VEC4" : components == 3 ? "VEC3" : "SCALAR";
        std::string extra;
        if (bounds) {
            std::vector<float> lo(values.begin(), values.begin() + components), hi = lo;
            for (std::size_t i = 0; i < values.size(); ++i) {
                std::size_t k = i % static_cast<std::size_t>(components);
                lo[k] = std::min(lo[k], values[i]);
                hi[k] = std::max(hi[k], values[i]);
            }
            extra = ",\"min\":[" + List(lo) + "],\"max\":[" + List(hi) + "]";
        }
        const std::size_t count = values.size() / static_cast<std::size_t>(components);
        BinBlock block;
        block.floats = std::move(values);
        return Accessor(View(std::move(block), target), 5126, count, type, extra);
    }
    int Indices(std::vector<std::uint32_t> values, std::uint32_t vertices)
    {
        const std::size_t count = values.size();
        BinBlock block;
        if (vertices > 65535)
            block.wide = std::move(values);
        else
            block.narrow.assign(values.begin(), values.end());
        return Accessor(View(std::move(block), 34963), vertices > 65535 ? 5125 : 5123, count, "SCALAR", "");
    }
    int Material(const std::string& name, std::uint32_t rgb)
    {
        std::vector<float> c;
        PushLinear(rgb, c);
        materials.push_back("{\"name\":" + JsonString(name) + ",\"pbrMetallicRoughness\":{\"baseColorFactor\":[" +
                            Num(c[0]) + "," + Num(c[1]) + "," + Num(c[2]) +
                            ",1],\"metallicFactor\":0,\"roughnessFactor\":0.6}}");
        return static_cast<int>(materials.size()) - 1;
    }
    int Mesh(const std::string& name, const std::string& primitive)
    {
        meshes.push_back("{\"name\":" + JsonString(name) + ",\"primitives\":[" + primitive + "]}");
        return static_cast<int>(meshes.size()) - 1;
    }

    std::vector<BinBlock> bin; // each padded to 4 bytes in the buffer
    std::size_t binSize = 0;
    std::vector<std::string> views, accessors, materials, meshes;

private:
    static std::string List(const std::vector<float>& v)
    {
        std::string out;
        for (float x : v)
            out += (out.empty() ? "" : ",") + Num(x);
        return out;
    }
    int View(BinBlock block, int target)
    {
        const std::size_t offset = binSize, bytes = block.Bytes();
        binSize += bytes + (4 - bytes % 4) % 4;
        bin.push_back(std::move(block));
        views.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) +
                        ",\"byteLength\":" + std::to_string(bytes) +
                        (target ? ",\"target\":" + std::to_string(target) : std::string()) + "}");
        return static_cast<int>(views.size()) - 1;
    }
    int Accessor(int view, int componentType, std::size_t count, const char* type, const std::string& extra)
    {
        accessors.push_back("{\"bufferView\":" + std::to_string(view) +
                            ",\"componentType\":" + std::to_string(componentType) +
                            ",\"count\":" + std::to_string(count) + ",\"type\":\"" + type + "\"" + extra + "}");
        return static_cast<int>(accessors.size()) - 1;
    }
};

// A unit shape: the sphere of radius 1 about the origin, or the open
// cylinder of radius 1 standing on y = 0 .. 1.
struct UnitShape {
    std::vector<float> positions, normals;
    std::vector<std::uint32_t> indices;

    static UnitShape Sphere(int slices, int stacks)
    {
        UnitShape s;
        for (int i = 0; i <= stacks; ++i) {
            double theta = kPi * i / stacks;
            for (int j = 0; j <= slices; ++j) {
                double phi = 2 * kPi * j / slices;
                float n[3] = {static_cast<float>(std::sin(theta) * std::cos(phi)), static_cast<float>(std::cos(theta)),
                              static_cast<float>(std::sin(theta) * std::sin(phi))};
                s.positions.insert(s.positions.end(), n, n + 3);
                s.normals.insert(s.normals.end(), n, n + 3);
            }
        }
        s.Grid(slices, stacks);
        return s;
    }
    static UnitShape Cylinder(int slices)
    {
        UnitShape s;
        for (int i = 0; i <= 1; ++i)
            for (int j = 0; j <= slices; ++j) {
                double phi = 2 * kPi * j / slices;
                float x = static_cast<float>(std::cos(phi)), z = static_cast<float>(std::sin(phi));
                s.positions.insert(s.positions.end(), {x, static_cast<float>(1 - i), z});
                s.normals.insert(s.normals.end(), {x, 0.0f, z});
            }
        s.Grid(slices, 1);
        return s;
    }

private:
    // Two counter-clockwise triangles (seen from outside) per grid cell.
    void Grid(int slices, int rows)
    {
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < slices; ++j) {
                auto at = [&](int r, int c) { return static_cast<std::uint32_t>(r * (slices + 1) + c); };
                indices.insert(indices.end(), {at(i, j), at(i, j + 1), at(i + 1, j)});
                indices.insert(indices.end(), {at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)});
            }
    }
};

// Instances of one unit shape in one colour.
struct InstanceGroup {
    std::uint32_t rgb = 0;
    std::vector<float> translations, rotations, scales;
    std::vector<unsigned> ids; // one per instance, or two (a pair) per cylinder half
};

// What one list holds, gathered during its visit.
struct ListContent {
    std::vector<InstanceGroup> spheres, cylinders;
    std::map<std::uint32_t, std::size_t> sphereGroup, cylinderGroup;
    std::vector<float> linePositions, lineColours, dotPositions, dotColours;
    std::vector<unsigned> lineIds, dotIds; // lines' in pairs
    std::vector<std::string> labels, icons;

    InstanceGroup& Group(std::vector<InstanceGroup>& groups, std::map<std::uint32_t, std::size_t>& index,
                         std::uint32_t rgb)
    {
        auto hit = index.try_emplace(rgb, groups.size());
        if (hit.second) {
            groups.emplace_back();
            groups.back().rgb = rgb;
        }
        return groups[hit.first->second];
    }
};

// A node's JSON: `json` holds the members other than children; a node that
// draws objects ends it with the opening of its extras' identifier list,
// which `ids` fill (as [a,b] pairs when `pairs`) and "]}" closes.
struct Node {
    std::string json;
    std::vector<int> children;
    bool listsIds = false;
    bool pairs = false;
    std::vector<unsigned> ids;
};

// The rotation that turns +y onto the unit vector (x, y, z), as a quaternion.
void PushRotation(double x, double y, double z, std::vector<float>& out)
{
    double q[4] = {z, 0, -x, 1 + y};
    if (q[3] < 1e-9) { // opposite to +y: half a turn about x
        q[0] = 1;
        q[1] = q[2] = q[3] = 0;
    }
    double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (double v : q)
        out.push_back(static_cast<float>(v / n));
}

// A translation, rotation and scale (no shear, no projection, nothing singular).
bool IsTrs(const Matrix4x4& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(m(r, c)))
                return false;
    if (std::fabs(m(0, 3)) > 1e-12 || std::fabs(m(1, 3)) > 1e-12 || std::fabs(m(2, 3)) > 1e-12 ||
        std::fabs(m(3, 3) - 1) > 1e-12)
        return false;
    double len[3];
    for (int r = 0; r < 3; ++r) {
        len[r] = std::sqrt(m(r, 0) * m(r, 0) + m(r, 1) * m(r, 1) + m(r, 2) * m(r, 2));
        if (len[r] < 1e-9)
            return false;
    }
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b) {
            double dot = m(a, 0) * m(b, 0) + m(a, 1) * m(b, 1) + m(a, 2) * m(b, 2);
            if (std::fabs(dot) > 1e-6 * len[a] * len[b])
                return false;
        }
    return true;
}

bool IsIdentity(const Matrix4x4& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m(r, c) != (r == c ? 1.0 : 0.0))
                return false;
    return true;
}

class GltfScene : public SceneVisitor
{
public:
    GltfScene(GlbBuilder& glb, const MeshDetail& detail, bool instanced)
        : m_glb(glb), m_detail(detail), m_instanced(instanced)
    {
    }

    void EnterList(const SceneListVisit& at)
    {
        // glTF gives the list's content the transformation node * parent's
        // (points as row vectors); the node's matrix is what makes that the
        // list's aggregate.
        const Matrix4x4 parentWorld = at.parent < 0 ? Matrix4x4(Matrix4x4::IdentityMatrix) : m_frames.back().world;
        Matrix4x4 inverse(parentWorld);
        inverse.Invert();
        Frame frame{at.aggregate * inverse, parentWorld, false, static_cast<int>(nodes.size())};
        std::string json = "\"name\":\"display list " + std::to_string(at.index) + "\"";
        if (IsTrs(frame.local)) {
            frame.world = at.aggregate;
            if (!IsIdentity(frame.local)) {
                json += ",\"matrix\":[";
                for (int k = 0; k < 16; ++k)
                    json += (k ? "," : "") + Num(frame.local(k / 4, k % 4));
                json += "]";
            }
        } else {
            frame.baked = true; // content written in the parent node's frame
        }
        json += ",\"extras\":{\"displayListId\":" + std::to_string(at.list.GetID());
        nodes.push_back(Node());
        nodes.back().json = json;
        if (at.parent >= 0)
            nodes[static_cast<std::size_t>(m_frames.back().node)].children.push_back(frame.node);
        m_frames.push_back(frame);
        m_content.emplace_back();
    }

    using SceneVisitor::Primitive;
    void Primitive(const SpherePrimitive& s, const char*, const SceneListVisit&)
    {
        ListContent& c = m_content.back();
        InstanceGroup& g = c.Group(c.spheres, c.sphereGroup, Packed(s.GetColor()));
        Push(Place(s.GetCenter()), g.translations);
        const float r = static_cast<float>(s.GetRadius());
        g.scales.insert(g.scales.end(), {r, r, r});
        g.ids.push_back(s.GetID());
    }
    // Two halves, each in its end's colour and carrying the cylinder's and
    // that end's identifiers.
    void Primitive(const CylinderPrimitive& cyl, const char*, const SceneListVisit&)
    {
        ListContent& c = m_content.back();
        const Point3d a = Place(cyl.GetEnd1()), b = Place(cyl.GetEnd2()), mid = a.MidPoint(b);
        const Point3d half = (b - a) * 0.5;
        const double length = half.Length();
        const float r = static_cast<float>(cyl.GetRadius());
        const std::uint32_t colours[2] = {Packed(cyl.GetColor1()), Packed(cyl.GetColor2())};
        const unsigned ends[2] = {cyl.GetEnd1ID(), cyl.GetEnd2ID()};
        const Point3d starts[2] = {a, mid};
        for (int k = 0; k < 2; ++k) {
            InstanceGroup& g = c.Group(c.cylinders, c.cylinderGroup, colours[k]);
            Push(starts[k], g.translations);
            if (length > 0 && std::isfinite(length))
                PushRotation(half.GetX() / length, half.GetY() / length, half.GetZ() / length, g.rotations);
            else
                g.rotations.insert(g.rotations.end(), {0.0f, 0.0f, 0.0f, 1.0f});
            g.scales.insert(g.scales.end(), {r, std::isfinite(length) ? static_cast<float>(length) : 0.0f, r});
            g.ids.insert(g.ids.end(), {cyl.GetID(), ends[k]});
        }
    }
    void Primitive(const LinePrimitive& l, const char*, const SceneListVisit&)
    {
        ListContent& c = m_content.back();
        const Point3d a = Place(l.GetEnd1()), b = Place(l.GetEnd2()), mid = a.MidPoint(b);
        for (const Point3d& p : {a, mid, mid, b})
            Push(p, c.linePositions);
        const std::uint32_t a1 = Packed(l.GetColor1()), b2 = Packed(l.GetColor2());
        for (std::uint32_t colour : {a1, a1, b2, b2})
            PushLinear(colour, c.lineColours);
        c.lineIds.insert(c.lineIds.end(), {l.GetID1(), l.GetID2()});
    }
    void Primitive(const DotPrimitive& d, const char*, const SceneListVisit&)
    {
        ListContent& c = m_content.back();
        Push(Place(d.GetCoord()), c.dotPositions);
        PushLinear(Packed(d.GetColor()), c.dotColours);
        c.dotIds.push_back(d.GetID());
    }
    void Primitive(const Text3DPrimitive& t, const char*, const SceneListVisit&)
    {
        m_content.back().labels.push_back("{\"text\":" + JsonString(t.GetText()) +
                                          ",\"position\":" + Position(Place(t.GetPosition())) +
                                          ",\"objectId\":" + std::to_string(t.GetID()) + "}");
    }
    void Primitive(const IconPrimitive& icon, const char*, const SceneListVisit&)
    {
        m_content.back().icons.push_back("{\"position\":" + Position(Place(icon.GetCoord())) +
                                         ",\"colour\":\"" + Hex(Packed(icon.GetColor())) + "\"}");
    }

    void LeaveList(const SceneListVisit&)
    {
        ListContent& c = m_content.back();
        const int node = m_frames.back().node;
        std::string& json = nodes[static_cast<std::size_t>(node)].json;
        if (!c.labels.empty())
            json += ",\"labels\":[" + Join(c.labels) + "]";
        if (!c.icons.empty())
            json += ",\"icons\":[" + Join(c.icons) + "]";
        json += "}";
        const UnitShape sphere = UnitShape::Sphere(m_detail.sphereSlices, m_detail.sphereStacks);
        const UnitShape cylinder = UnitShape::Cylinder(m_detail.cylinderSlices);
        for (InstanceGroup& g : c.spheres)
            if (m_instanced)
                AddInstances(node, "spheres", Shape(m_sphere, sphere), g, false);
            else
                AddMerged(node, "spheres", sphere, g, false);
        for (InstanceGroup& g : c.cylinders)
            if (m_instanced)
                AddInstances(node, "cylinder halves", Shape(m_cylinder, cylinder), g, true);
            else
                AddMerged(node, "cylinder halves", cylinder, g, true);
        AddVertexMesh(node, "lines", 1, c.linePositions, c.lineColours, c.lineIds, true);
        AddVertexMesh(node, "dots", 0, c.dotPositions, c.dotColours, c.dotIds, false);
        m_content.pop_back();
        m_frames.pop_back();
    }

    std::vector<Node> nodes;
    bool usedInstancing = false;

private:
    struct Frame {
        Matrix4x4 local; // the list's aggregate relative to the parent node's frame
        Matrix4x4 world; // what glTF applies to the node's content
        bool baked;      // the node carries no matrix: `local` is applied to the content
        int node;
    };
    // Accessors of a unit shape, made once.
    struct ShapeAccessors {
        int position = -1, normal = -1, indices = -1;
        std::map<std::uint32_t, int> meshByColour;
    };

    // A point of the current list in its node's frame.
    Point3d Place(const Point3d& p) const
    {
        const Frame& f = m_frames.back();
        return f.baked ? f.local.Transform(p) : p;
    }
    static std::string Position(const Point3d& p)
    {
        return "[" + Num(p.GetX()) + "," + Num(p.GetY()) + "," + Num(p.GetZ()) + "]";
    }
    ShapeAccessors& Shape(ShapeAccessors& s, const UnitShape& shape)
    {
        if (s.position < 0) {
            s.position = m_glb.Floats(shape.positions, 3, true, 34962);
            s.normal = m_glb.Floats(shape.normals, 3, false, 34962);
            s.indices = m_glb.Indices(shape.indices, static_cast<std::uint32_t>(shape.positions.size() / 3));
        }
        return s;
    }
    void AddInstances(int parent, const std::string& kind, ShapeAccessors& shape, InstanceGroup& g, bool rotated)
    {
        auto mesh = shape.meshByColour.find(g.rgb);
        if (mesh == shape.meshByColour.end()) {
            const std::string name = kind + " " + Hex(g.rgb);
            const int material = MaterialOf(g.rgb);
            const int m = m_glb.Mesh(name, "{\"attributes\":{\"POSITION\":" + std::to_string(shape.position) +
                                               ",\"NORMAL\":" + std::to_string(shape.normal) +
                                               "},\"indices\":" + std::to_string(shape.indices) +
                                               ",\"material\":" + std::to_string(material) + "}");
            mesh = shape.meshByColour.emplace(g.rgb, m).first;
        }
        std::string attributes =
            "\"TRANSLATION\":" + std::to_string(m_glb.Floats(std::move(g.translations), 3, false, 0));
        if (rotated)
            attributes += ",\"ROTATION\":" + std::to_string(m_glb.Floats(std::move(g.rotations), 4, false, 0));
        attributes += ",\"SCALE\":" + std::to_string(m_glb.Floats(std::move(g.scales), 3, false, 0));
        usedInstancing = true;
        AddChild(parent,
                 "\"name\":" + JsonString(kind + " " + Hex(g.rgb)) + ",\"mesh\":" + std::to_string(mesh->second) +
                     ",\"extensions\":{\"EXT_mesh_gpu_instancing\":{" + "\"attributes\":{" + attributes +
                     "}}},\"extras\":{\"kind\":" + JsonString(kind),
                 std::move(g.ids), rotated);
    }
    // The group's shapes written out into one mesh: each instance's copy of
    // the unit shape moved by its translation, rotation and scale (normals
    // by the inverse scale, then turned).
    void AddMerged(int parent, const std::string& kind, const UnitShape& shape, InstanceGroup& g, bool rotated)
    {
        const std::size_t count = g.translations.size() / 3, n = shape.positions.size() / 3;
        std::vector<float> positions, normals;
        std::vector<std::uint32_t> indices;
        positions.reserve(count * n * 3);
        normals.reserve(count * n * 3);
        indices.reserve(count * shape.indices.size());
        for (std::size_t i = 0; i < count; ++i) {
            const float* t = &g.translations[i * 3];
            const float* sc = &g.scales[i * 3];
            const float identity[4] = {0, 0, 0, 1};
            const float* q = rotated ? &g.rotations[i * 4] : identity;
            for (std::size_t k = 0; k < n; ++k) {
                double p[3], m[3];
                for (int c = 0; c < 3; ++c) {
                    p[c] = shape.positions[k * 3 + static_cast<std::size_t>(c)] * sc[c];
                    m[c] = sc[c] != 0 ? shape.normals[k * 3 + static_cast<std::size_t>(c)] / sc[c] : 0.0;
                }
                Rotate(q, p);
                Rotate(q, m);
                const double length = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
                for (int c = 0; c < 3; ++c) {
                    positions.push_back(static_cast<float>(p[c] + t[c]));
                    normals.push_back(length > 0 ? static_cast<float>(m[c] / length) : 0.0f);
                }
            }
            for (std::uint32_t index : shape.indices)
                indices.push_back(index + static_cast<std::uint32_t>(i * n));
        }
        const int material = MaterialOf(g.rgb);
        // The buffer holds the indices first, then the normals and the positions.
        const int index = m_glb.Indices(std::move(indices), static_cast<std::uint32_t>(count * n));
        const int normal = m_glb.Floats(std::move(normals), 3, false, 34962);
        const int position = m_glb.Floats(std::move(positions), 3, true, 34962);
        const int mesh = m_glb.Mesh(kind + " " + Hex(g.rgb), "{\"attributes\":{\"POSITION\":" + std::to_string(position) +
                                                                 ",\"NORMAL\":" + std::to_string(normal) +
                                                                 "},\"indices\":" + std::to_string(index) +
                                                                 ",\"material\":" + std::to_string(material) + "}");
        AddChild(parent,
                 "\"name\":" + JsonString(kind + " " + Hex(g.rgb)) + ",\"mesh\":" + std::to_string(mesh) +
                     ",\"extras\":{\"kind\":" + JsonString(kind) + ",\"verticesPerObject\":" + std::to_string(n),
                 std::move(g.ids), rotated);
    }
    // q = (x, y, z, w) applied to p in place.
    static void Rotate(const float* q, double* p)
    {
        const double x = q[0], y = q[1], z = q[2], w = q[3];
        // t = 2 q.xyz x p; p' = p + w t + q.xyz x t
        const double tx = 2 * (y * p[2] - z * p[1]), ty = 2 * (z * p[0] - x * p[2]), tz = 2 * (x * p[1] - y * p[0]);
        const double rx = p[0] + w * tx + (y * tz - z * ty), ry = p[1] + w * ty + (z * tx - x * tz),
                     rz = p[2] + w * tz + (x * ty - y * tx);
        p[0] = rx;
        p[1] = ry;
        p[2] = rz;
    }
    int MaterialOf(std::uint32_t rgb)
    {
        auto hit = m_materials.find(rgb);
        if (hit == m_materials.end())
            hit = m_materials.emplace(rgb, m_glb.Material(Hex(rgb), rgb)).first;
        return hit->second;
    }
    void AddVertexMesh(int parent, const std::string& kind, int mode, std::vector<float>& positions,
                       std::vector<float>& colours, std::vector<unsigned>& ids, bool pairs)
    {
        if (positions.empty())
            return;
        if (m_plainMaterial < 0)
            m_plainMaterial = m_glb.Material("vertex colours", 0xffffff);
        // The buffer holds the colours first, then the positions.
        const int colour = m_glb.Floats(std::move(colours), 3, false, 34962);
        const int position = m_glb.Floats(std::move(positions), 3, true, 34962);
        const int mesh = m_glb.Mesh(kind, "{\"attributes\":{\"POSITION\":" + std::to_string(position) +
                                              ",\"COLOR_0\":" + std::to_string(colour) +
                                              "},\"mode\":" + std::to_string(mode) +
                                              ",\"material\":" + std::to_string(m_plainMaterial) + "}");
        AddChild(parent,
                 "\"name\":" + JsonString(kind) + ",\"mesh\":" + std::to_string(mesh) +
                     ",\"extras\":{\"kind\":" + JsonString(kind),
                 std::move(ids), pairs);
    }
    // A node that draws the objects `ids` names (see Node).
    void AddChild(int parent, std::string json, std::vector<unsigned> ids, bool pairs)
    {
        nodes[static_cast<std::size_t>(parent)].children.push_back(static_cast<int>(nodes.size()));
        Node node;
        node.json = std::move(json) + ",\"objectIds\":[";
        node.listsIds = true;
        node.pairs = pairs;
        node.ids = std::move(ids);
        nodes.push_back(std::move(node));
    }

    GlbBuilder& m_glb;
    MeshDetail m_detail;
    bool m_instanced;
    std::map<std::uint32_t, int> m_materials;
    std::vector<Frame> m_frames;
    std::vector<ListContent> m_content;
    ShapeAccessors m_sphere, m_cylinder;
    int m_plainMaterial = -1;
};

void WriteLittle32(std::ostream& out, std::uint32_t v)
{
    const char bytes[4] = {static_cast<char>(v & 0xff), static_cast<char>(v >> 8 & 0xff),
                           static_cast<char>(v >> 16 & 0xff), static_cast<char>(v >> 24 & 0xff)};
    out.write(bytes, 4);
}

// Counts the spheres and cylinders of a scene.
struct SolidCounter : SceneVisitor {
    using SceneVisitor::Primitive;
    void Primitive(const SpherePrimitive&, const char*, const SceneListVisit&) { ++spheres; }
    void Primitive(const CylinderPrimitive&, const char*, const SceneListVisit&) { ++cylinders; }
    long spheres = 0, cylinders = 0;
};

} // namespace

MeshDetail ChooseDetail(long spheres, long halves, long budget)
{
    static const MeshDetail levels[] = {{24, 16, 16}, {16, 10, 12}, {12, 8, 10}, {10, 6, 8},
                                        {8, 5, 6},    {6, 4, 6},    {6, 3, 4}};
    for (const MeshDetail& level : levels)
        if (level.Triangles(spheres, halves) <= budget)
            return level;
    return levels[sizeof levels / sizeof levels[0] - 1];
}

GltfWriter::GltfWriter(const DisplayList3D& scene, const std::string& title, const SceneAtoms* atoms, bool instanced)
    : m_scene(scene), m_title(title), m_atoms(atoms), m_instanced(instanced)
{
}

GltfWriter::~GltfWriter() = default;

// What Make gathers for WriteMade. Texts in parts stay in place (a deque)
// while their pieces run.
struct GltfWriter::Made {
    GlbBuilder glb;
    std::vector<Node> nodes;
    bool usedInstancing = false;
    std::deque<TextInParts> ids; // of the nodes that list identifiers, in order
    std::string extrasHead;      // the scene's extras up to its atom table's first column
    std::vector<std::string> columnHeads;
    std::deque<TextInParts> columns;
};

namespace {

// Items formatted per piece of work: enough that the pieces are few, few
// enough that they share out well.
const std::size_t kItemsPerPart = 65536;

// The scene's extras: the entry and the atom table, column by column, as a
// JSON writer lays them out, each column formatted in parts.
void AddAtomColumns(const SceneAtoms& table, std::string& head, std::vector<std::string>& heads,
                    std::deque<TextInParts>& columns, Work& work)
{
    JsonWriter json;
    json.BeginObject();
    if (!table.entryId.empty())
        json.Key("entryId").String(table.entryId);
    if (!table.title.empty())
        json.Key("entryTitle").String(table.title);
    json.Key("atoms").BeginObject();
    head = json.Text();
    const std::vector<const Atom*>& atoms = table.atoms;
    auto column = [&](const char* key, auto value) {
        heads.push_back((heads.empty() ? "" : ", ") + JsonString(key) + ": [");
        columns.emplace_back();
        for (auto& piece : columns.back().Pieces(atoms.size(), kItemsPerPart, [&atoms, value](std::string& out, std::size_t i) {
                 if (i)
                     out += ", ";
                 value(out, *atoms[i], i);
             }))
            work.pieces.push_back(std::move(piece));
    };
    auto text = [](std::string& out, char c) { AppendJsonString(out, c == ' ' ? std::string() : std::string(1, c)); };
    column("id", [](std::string& out, const Atom&, std::size_t i) { AppendInteger(out, static_cast<long long>(i + 1)); });
    column("serial", [](std::string& out, const Atom& a, std::size_t) { AppendInteger(out, a.serial); });
    column("name", [](std::string& out, const Atom& a, std::size_t) { AppendJsonString(out, a.name); });
    column("element", [](std::string& out, const Atom& a, std::size_t) { AppendJsonString(out, a.element); });
    column("residue", [](std::string& out, const Atom& a, std::size_t) { AppendJsonString(out, a.residue); });
    column("residueNumber", [](std::string& out, const Atom& a, std::size_t) { AppendInteger(out, a.residueNumber); });
    column("insertionCode", [text](std::string& out, const Atom& a, std::size_t) { text(out, a.insertion); });
    column("chain", [](std::string& out, const Atom& a, std::size_t) { AppendJsonString(out, a.chain); });
    column("segment", [](std::string& out, const Atom& a, std::size_t) { AppendJsonString(out, a.segment); });
    column("altLoc", [text](std::string& out, const Atom& a, std::size_t) { text(out, a.altLocation); });
    column("occupancy", [](std::string& out, const Atom& a, std::size_t) { AppendJsonFixed(out, a.occupancy, 2); });
    column("bFactor", [](std::string& out, const Atom& a, std::size_t) { AppendJsonFixed(out, a.bFactor, 2); });
}

// A node's identifiers: "a,b,..." or "[a,b],[c,d],...".
std::vector<std::function<void()>> IdPieces(const Node& node, TextInParts& text)
{
    const std::vector<unsigned>& ids = node.ids;
    if (!node.pairs)
        return text.Pieces(ids.size(), kItemsPerPart, [&ids](std::string& out, std::size_t i) {
            if (i)
                out += ',';
            AppendInteger(out, ids[i]);
        });
    return text.Pieces(ids.size() / 2, kItemsPerPart, [&ids](std::string& out, std::size_t i) {
        out += i ? ",[" : "[";
        AppendInteger(out, ids[2 * i]);
        out += ',';
        AppendInteger(out, ids[2 * i + 1]);
        out += ']';
    });
}

// The JSON chunk as it is written: text, and parts formatted apart.
class ChunkText
{
public:
    ChunkText& operator<<(const std::string& text)
    {
        if (m_items.empty() || m_items.back().parts)
            m_items.push_back({std::string(), nullptr});
        m_items.back().text += text;
        m_size += text.size();
        return *this;
    }
    ChunkText& operator<<(const TextInParts& parts)
    {
        m_items.push_back({std::string(), &parts});
        m_size += parts.Size();
        return *this;
    }
    std::size_t Size() const { return m_size; }
    void WriteTo(std::ostream& out) const
    {
        for (const Item& item : m_items)
            if (item.parts)
                item.parts->WriteTo(out);
            else
                out.write(item.text.data(), static_cast<std::streamsize>(item.text.size()));
    }

private:
    struct Item {
        std::string text;
        const TextInParts* parts;
    };
    std::vector<Item> m_items;
    std::size_t m_size = 0;
};

} // namespace

Work GltfWriter::Make()
{
    m_made.reset(new Made);
    Made& made = *m_made;
    SolidCounter counter;
    WalkScene(m_scene, counter);
    GltfScene scene(made.glb, ChooseDetail(counter.spheres, 2 * counter.cylinders), m_instanced);
    WalkScene(m_scene, scene);
    made.nodes = std::move(scene.nodes);
    made.usedInstancing = scene.usedInstancing;

    Work work;
    for (const Node& node : made.nodes)
        if (node.listsIds) {
            made.ids.emplace_back();
            for (auto& piece : IdPieces(node, made.ids.back()))
                work.pieces.push_back(std::move(piece));
        }
    if (m_atoms)
        AddAtomColumns(*m_atoms, made.extrasHead, made.columnHeads, made.columns, work);
    return work;
}

void GltfWriter::WriteMade(std::ostream& out) const
{
    const Made& made = *m_made;
    const GlbBuilder& glb = made.glb;
    ChunkText json;
    json << "{\"asset\":{\"version\":\"2.0\",\"generator\":\"orvscene\"}";
    if (made.usedInstancing)
        json << ",\"extensionsUsed\":[\"EXT_mesh_gpu_instancing\"],\"extensionsRequired\":[\"EXT_mesh_gpu_instancing\"]";
    json << ",\"scene\":0,\"scenes\":[{\"name\":" + JsonString(m_title) + ",\"nodes\":[0]";
    if (m_atoms) {
        json << ",\"extras\":" + made.extrasHead;
        for (std::size_t k = 0; k < made.columns.size(); ++k)
            json << made.columnHeads[k] << made.columns[k] << "]";
        json << "}}";
    }
    json << "}]" << ",\"nodes\":[";
    std::size_t listed = 0;
    for (std::size_t n = 0; n < made.nodes.size(); ++n) {
        const Node& node = made.nodes[n];
        json << (n ? ",{" : "{") + node.json;
        if (node.listsIds)
            json << made.ids[listed++] << "]}";
        if (!node.children.empty()) {
            std::string children = ",\"children\":[";
            for (std::size_t i = 0; i < node.children.size(); ++i)
                children += (i ? "," : "") + std::to_string(node.children[i]);
            json << children + "]";
        }
        json << "}";
    }
    json << "]";
    if (!glb.meshes.empty())
        json << ",\"meshes\":[" + Join(glb.meshes) + "]";
    if (!glb.materials.empty())
        json << ",\"materials\":[" + Join(glb.materials) + "]";
    if (!glb.accessors.empty())
        json << ",\"accessors\":[" + Join(glb.accessors) + "],\"bufferViews\":[" + Join(glb.views) +
                    "],\"buffers\":[{\"byteLength\":" + std::to_string(glb.binSize) + "}]";
    json << "}";
    json << std::string((4 - json.Size() % 4) % 4, ' ');

    const bool hasBin = glb.binSize != 0;
    const std::uint32_t total = static_cast<std::uint32_t>(12 + 8 + json.Size() + (hasBin ? 8 + glb.binSize : 0));
    out.write("glTF", 4);
    WriteLittle32(out, 2);
    WriteLittle32(out, total);
    WriteLittle32(out, static_cast<std::uint32_t>(json.Size()));
    out.write("JSON", 4);
    json.WriteTo(out);
    if (hasBin) {
        WriteLittle32(out, static_cast<std::uint32_t>(glb.binSize));
        out.write("BIN\0", 4);
        const char padding[4] = {0, 0, 0, 0};
        for (const BinBlock& block : glb.bin) {
            out.write(block.Data(), static_cast<std::streamsize>(block.Bytes()));
            out.write(padding, static_cast<std::streamsize>((4 - block.Bytes() % 4) % 4));
        }
    }
}

void GltfWriter::Write(std::ostream& out)
{
    RunInTurn([this]() { return Make(); });
    WriteMade(out);
}

} // namespace orvscene
