// Copy on write of triangle meshes: copying a mesh of a million vertices
// costs what copying one of ten vertices costs (the copy shares the record),
// and the first change after a copy, which detaches it, costs about what a
// plain std::vector copy of the same records costs. Prints the ratios.

#include "orvcore/graphics/primitives/TriangleMeshPrimitive.h"

#include "RatioReporter.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

// A square grid of side n: n*n vertices and 2(n-1)^2 triangles, or the
// vertices alone.
struct Grid
{
    std::vector<VertexNormal> vertices;
    std::vector<TriangleIndex> triangles;

    Grid(int n, bool withTriangles)
    {
        vertices.reserve(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                vertices.emplace_back(Point3d(i, j, (i * j) % 7), Point3d(0, 0, 1), Color(i & 255, j & 255, 0));
        if (!withTriangles)
            return;
        for (int i = 0; i + 1 < n; ++i)
            for (int j = 0; j + 1 < n; ++j) {
                const int a = i * n + j;
                triangles.emplace_back(a, a + 1, a + n);
                triangles.emplace_back(a + 1, a + n + 1, a + n);
            }
    }

    TriangleMeshPrimitive Mesh() const
    {
        VertexNormalArray v;
        v.SetSize(static_cast<int>(vertices.size()));
        for (std::size_t i = 0; i < vertices.size(); ++i)
            v[static_cast<int>(i)] = vertices[i];
        TriangleIndexArray t;
        t.SetSize(static_cast<int>(triangles.size()));
        for (std::size_t i = 0; i < triangles.size(); ++i)
            t[static_cast<int>(i)] = triangles[i];
        return TriangleMeshPrimitive(v, t, 1u);
    }
};

const Grid& SmallGrid()
{
    static const Grid grid(4, true); // 16 vertices
    return grid;
}

const Grid& LargeGrid()
{
    static const Grid grid(1000, true); // 1,000,000 vertices, 1,996,002 triangles
    return grid;
}

const Grid& LargeCloud()
{
    static const Grid grid(1000, false); // 1,000,000 vertices, no triangles
    return grid;
}

void CopyMesh(benchmark::State& state, const Grid& grid)
{
    const TriangleMeshPrimitive mesh = grid.Mesh();
    for (auto _ : state) {
        TriangleMeshPrimitive copy(mesh);
        benchmark::DoNotOptimize(copy.GetNumVertices());
    }
}

// Copy, then change one vertex: the change detaches the copy.
void FirstChange(benchmark::State& state, const Grid& grid)
{
    const TriangleMeshPrimitive mesh = grid.Mesh();
    const VertexNormal changed(Point3d(1, 2, 3), Point3d(1, 0, 0), Color::Red());
    for (auto _ : state) {
        TriangleMeshPrimitive copy(mesh);
        copy.SetVertexAt(0, changed);
        benchmark::DoNotOptimize(copy.GetVertexAt(0));
    }
}

// The peer: the same records copied as plain vectors, then one changed.
void VectorCopy(benchmark::State& state, const Grid& grid)
{
    const VertexNormal changed(Point3d(1, 2, 3), Point3d(1, 0, 0), Color::Red());
    for (auto _ : state) {
        std::vector<VertexNormal> v(grid.vertices);
        std::vector<TriangleIndex> t(grid.triangles);
        v[0] = changed;
        benchmark::DoNotOptimize(v.data());
        benchmark::DoNotOptimize(t.data());
    }
}

void Register()
{
    auto add = [](const char* name, void (*fn)(benchmark::State&, const Grid&), const Grid& (*grid)()) {
        benchmark::RegisterBenchmark(name, [fn, grid](benchmark::State& s) { fn(s, grid()); })
            ->UseRealTime()
            ->MinTime(0.3);
    };
    add("CopyMesh/16", CopyMesh, SmallGrid);
    add("CopyMesh/1000000", CopyMesh, LargeGrid);
    add("FirstChange/mesh", FirstChange, LargeGrid);
    add("VectorCopy/mesh", VectorCopy, LargeGrid);
    add("FirstChange/vertices", FirstChange, LargeCloud);
    add("VectorCopy/vertices", VectorCopy, LargeCloud);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Register();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("copy of a 1M-vertex mesh / copy of a 16-vertex mesh: %.2f (target about 1)\n",
                reporter.TimeRatio("CopyMesh/1000000", "CopyMesh/16"));
    std::printf("first change after copy / std::vector copy, 1M vertices + 2M triangles: %.2f (target <= 1.5)\n",
                reporter.TimeRatio("FirstChange/mesh", "VectorCopy/mesh"));
    std::printf("first change after copy / std::vector copy, 1M vertices only: %.2f (target <= 1.5)\n",
                reporter.TimeRatio("FirstChange/vertices", "VectorCopy/vertices"));
    benchmark::Shutdown();
    return 0;
}
