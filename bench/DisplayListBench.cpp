// Display lists beside bare std::vector code doing the same work on the same
// data, in one run: adding 1 million spheres, copying a list of 1 million
// spheres and 1 million cylinders, flattening a three-level tree of 1 million
// primitives, and the pick dots of that tree. Prints each ratio.

#include "orvcore/graphics/scene/DisplayList3D.h"

#include "RatioReporter.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace Orvane;

namespace
{

constexpr int primitiveCount = 1000000;
constexpr int branches = 10;                                           // children per list
constexpr int perLeaf = primitiveCount / (branches * branches);        // spheres per grandchild

const std::vector<SpherePrimitive>& Spheres()
{
    static const std::vector<SpherePrimitive> spheres = [] {
        std::vector<SpherePrimitive> out;
        out.reserve(primitiveCount);
        for (int i = 0; i < primitiveCount; ++i)
            out.emplace_back(Point3d(i % 97, i % 89, i % 83), 1.5, Color(i & 255, 0, 0, (i % 7) == 0 ? 128 : 0),
                             static_cast<unsigned int>(i + 1));
        return out;
    }();
    return spheres;
}

const std::vector<CylinderPrimitive>& Cylinders()
{
    static const std::vector<CylinderPrimitive> cylinders = [] {
        std::vector<CylinderPrimitive> out;
        out.reserve(primitiveCount);
        for (int i = 0; i < primitiveCount; ++i)
            out.emplace_back(Point3d(i % 97, 0, 0), Color(1, 2, 3), Point3d(0, i % 89, 1), Color(4, 5, 6), 0.3,
                             static_cast<unsigned int>(i + 1));
        return out;
    }();
    return cylinders;
}

Matrix4x4 Local(int level, int index)
{
    Matrix4x4 m(Point3d(level, 1, index + 1), 10.0 * (index + 1));
    m.Set(3, 0, level);
    m.Set(3, 1, index);
    m.Set(3, 2, 1.0);
    return m;
}

// --- adding

void BM_AddSpheres_DisplayList(benchmark::State& state)
{
    const std::vector<SpherePrimitive>& spheres = Spheres();
    for (auto _ : state) {
        DisplayList3D list;
        for (const SpherePrimitive& sphere : spheres)
            list.Add(sphere);
        benchmark::DoNotOptimize(list.GetNumOpaqueSpheres());
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
    }
}

void BM_AddSpheres_Vector(benchmark::State& state)
{
    const std::vector<SpherePrimitive>& spheres = Spheres();
    for (auto _ : state) {
        std::vector<SpherePrimitive> opaque, transparent;
        for (const SpherePrimitive& sphere : spheres)
            (sphere.GetColor().GetA() != 0 ? transparent : opaque).push_back(sphere);
        benchmark::DoNotOptimize(opaque.data());
        state.PauseTiming();
        opaque.clear();
        transparent.clear();
        state.ResumeTiming();
    }
}

// --- copying

struct BareList
{
    std::vector<SpherePrimitive> opaqueSpheres, transparentSpheres;
    std::vector<CylinderPrimitive> opaqueCylinders, transparentCylinders;
};

void BM_Copy_DisplayList(benchmark::State& state)
{
    DisplayList3D list;
    for (const SpherePrimitive& sphere : Spheres())
        list.Add(sphere);
    for (const CylinderPrimitive& cylinder : Cylinders())
        list.Add(cylinder);
    for (auto _ : state) {
        DisplayList3D copy(list);
        benchmark::DoNotOptimize(copy.GetNumOpaqueCylinders());
        state.PauseTiming();
        copy.Clear();
        state.ResumeTiming();
    }
}

void BM_Copy_Vector(benchmark::State& state)
{
    BareList list;
    for (const SpherePrimitive& sphere : Spheres())
        (sphere.GetColor().GetA() != 0 ? list.transparentSpheres : list.opaqueSpheres).push_back(sphere);
    list.opaqueCylinders = Cylinders();
    for (auto _ : state) {
        BareList copy(list);
        benchmark::DoNotOptimize(copy.opaqueCylinders.data());
        state.PauseTiming();
        copy = BareList();
        state.ResumeTiming();
    }
}

// --- the three-level tree: a root with 10 children of 10 grandchildren, each
// grandchild holding 10 000 spheres; every list has a local transformation.

DisplayList3D MakeTree()
{
    const std::vector<SpherePrimitive>& spheres = Spheres();
    DisplayList3D root;
    root.SetLocalTransformation(Local(0, 0));
    int next = 0;
    for (int c = 0; c < branches; ++c) {
        DisplayList3D child;
        child.SetLocalTransformation(Local(1, c));
        for (int g = 0; g < branches; ++g) {
            DisplayList3D leaf;
            leaf.SetLocalTransformation(Local(2, g));
            for (int i = 0; i < perLeaf; ++i)
                leaf.Add(spheres[static_cast<std::size_t>(next++)]);
            child.Add(leaf);
        }
        root.Add(child);
    }
    return root;
}

struct BareNode
{
    Matrix4x4 local;
    std::vector<SpherePrimitive> opaque, transparent;
    std::vector<BareNode> children;
};

BareNode MakeBareTree()
{
    const std::vector<SpherePrimitive>& spheres = Spheres();
    BareNode root{Local(0, 0), {}, {}, {}};
    int next = 0;
    for (int c = 0; c < branches; ++c) {
        BareNode child{Local(1, c), {}, {}, {}};
        for (int g = 0; g < branches; ++g) {
            BareNode leaf{Local(2, g), {}, {}, {}};
            for (int i = 0; i < perLeaf; ++i) {
                const SpherePrimitive& s = spheres[static_cast<std::size_t>(next++)];
                (s.GetColor().GetA() != 0 ? leaf.transparent : leaf.opaque).push_back(s);
            }
            child.children.push_back(std::move(leaf));
        }
        root.children.push_back(std::move(child));
    }
    return root;
}

// Bare flattening: move every sphere by its aggregate and gather them in
// depth-first order into the root.
void BareTransform(BareNode& node, const Matrix4x4& parent)
{
    const Matrix4x4 aggregate = parent * node.local;
    for (std::vector<SpherePrimitive>* array : {&node.opaque, &node.transparent})
        for (SpherePrimitive& s : *array)
            s.SetCenter(aggregate.Transform(s.GetCenter()));
    for (BareNode& child : node.children)
        BareTransform(child, aggregate);
    node.local = Matrix4x4(Matrix4x4::IdentityMatrix);
}

void BareGather(BareNode& root, BareNode& node)
{
    root.opaque.insert(root.opaque.end(), node.opaque.begin(), node.opaque.end());
    root.transparent.insert(root.transparent.end(), node.transparent.begin(), node.transparent.end());
    node.opaque.clear();
    node.transparent.clear();
    for (BareNode& child : node.children)
        BareGather(root, child);
}

void BareFlatten(BareNode& root)
{
    BareTransform(root, Matrix4x4(Matrix4x4::IdentityMatrix));
    std::size_t opaque = 0, transparent = 0;
    for (const BareNode& child : root.children)
        for (const BareNode& leaf : child.children) {
            opaque += leaf.opaque.size();
            transparent += leaf.transparent.size();
        }
    root.opaque.reserve(root.opaque.size() + opaque);
    root.transparent.reserve(root.transparent.size() + transparent);
    for (BareNode& child : root.children)
        BareGather(root, child);
    root.children.clear();
}

void BM_Flatten_DisplayList(benchmark::State& state)
{
    const DisplayList3D tree = MakeTree();
    for (auto _ : state) {
        state.PauseTiming();
        DisplayList3D work(tree);
        state.ResumeTiming();
        work.Flatten();
        benchmark::DoNotOptimize(work.GetNumOpaqueSpheres());
        state.PauseTiming();
        work.Clear();
        state.ResumeTiming();
    }
}

void BM_Flatten_Vector(benchmark::State& state)
{
    const BareNode tree = MakeBareTree();
    for (auto _ : state) {
        state.PauseTiming();
        BareNode work(tree);
        state.ResumeTiming();
        BareFlatten(work);
        benchmark::DoNotOptimize(work.opaque.data());
        state.PauseTiming();
        work = BareNode();
        state.ResumeTiming();
    }
}

// --- pick dots of the tree

void BareDots(const BareNode& node, const Matrix4x4& parent, std::vector<DotPrimitive>& dots)
{
    const Matrix4x4 aggregate = parent * node.local;
    for (const std::vector<SpherePrimitive>* array : {&node.opaque, &node.transparent})
        for (const SpherePrimitive& s : *array)
            if (s.GetID() != 0)
                dots.emplace_back(aggregate.Transform(s.GetCenter()), Color(), 1, s.GetID());
    for (const BareNode& child : node.children)
        BareDots(child, aggregate, dots);
}

void BM_PickDots_DisplayList(benchmark::State& state)
{
    const DisplayList3D tree = MakeTree();
    std::vector<DotPrimitive> dots;
    for (auto _ : state) {
        dots.clear();
        dots.shrink_to_fit();
        benchmark::DoNotOptimize(tree.GetPickDots(dots));
    }
}

void BM_PickDots_Vector(benchmark::State& state)
{
    const BareNode tree = MakeBareTree();
    std::vector<DotPrimitive> dots;
    for (auto _ : state) {
        dots.clear();
        dots.shrink_to_fit();
        dots.reserve(primitiveCount);
        BareDots(tree, Matrix4x4(Matrix4x4::IdentityMatrix), dots);
        benchmark::DoNotOptimize(dots.data());
    }
}

BENCHMARK(BM_AddSpheres_DisplayList)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_AddSpheres_Vector)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Copy_DisplayList)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Copy_Vector)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Flatten_DisplayList)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Flatten_Vector)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_PickDots_DisplayList)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_PickDots_Vector)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const struct
    {
        const char* name;
        const char* what;
        double target;
    } pairs[] = {{"AddSpheres", "adding 1M spheres", 1.5},
                 {"Copy", "copying 1M spheres + 1M cylinders", 0.0},
                 {"Flatten", "flattening a 3-level tree of 1M primitives", 0.0},
                 {"PickDots", "pick dots of that tree", 2.0}};
    for (const auto& pair : pairs) {
        const double ratio = reporter.TimeRatio(std::string("BM_") + pair.name + "_DisplayList",
                                                std::string("BM_") + pair.name + "_Vector");
        if (ratio < 0.0)
            continue;
        if (pair.target > 0.0)
            std::printf("%-46s display list / std::vector = %.2f (target <= %.1f)\n", pair.what, ratio,
                        pair.target);
        else
            std::printf("%-46s display list / std::vector = %.2f\n", pair.what, ratio);
    }
    return 0;
}
