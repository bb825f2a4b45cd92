// Building the scene of a 100,000-atom structure against reading its PDB
// text: the scene (bonds by neighbour search, principal axes, spheres,
// cylinders, labels) should take at most twice as long as the reading.
// Writing the SVG picture of a 200,000-atom scene (projecting it and writing
// the text) against building that scene: the picture should take no longer.
// The whole tool on a 1,000,000-atom file writing the picture, the page and
// the glTF scene, on two threads against one: at most 0.65 of the time.

#include "Molecule.h"
#include "Picture.h"
#include "SceneBuilder.h"
#include "SceneView.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <streambuf>
#include <string>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace orvscene;

namespace {

// The test entry (1631 atoms) tiled on a grid, 60 angstrom apart, until it
// holds at least `atoms` atoms.
const std::string& TiledText(int atoms = 100000)
{
    static std::map<int, std::string> texts;
    std::string& text = texts[atoms];
    if (text.empty()) {
        std::ifstream in(std::string(ORVCORE_SOURCE_DIR) + "/tests/data/1hpv.pdb");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            if ((line.compare(0, 4, "ATOM") == 0 || line.compare(0, 6, "HETATM") == 0) && line.size() >= 54)
                lines.push_back(line);
        std::ostringstream out;
        int serial = 0;
        const char chains[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        for (int tile = 0; serial < atoms; ++tile) {
            double dx = 60.0 * (tile % 4), dy = 60.0 * (tile / 4 % 4), dz = 60.0 * (tile / 16);
            for (std::string line : lines) {
                char field[64];
                std::snprintf(field, sizeof field, "%5d", ++serial % 100000);
                line.replace(6, 5, field);
                line[21] = chains[tile % 26];
                double x = std::stod(line.substr(30, 8)) + dx, y = std::stod(line.substr(38, 8)) + dy,
                       z = std::stod(line.substr(46, 8)) + dz;
                std::snprintf(field, sizeof field, "%8.3f%8.3f%8.3f", x, y, z);
                line.replace(30, 24, field);
                out << line << "\n";
            }
        }
        text = out.str();
    }
    return text;
}

void BM_ReadPdb(benchmark::State& state)
{
    const std::string& text = TiledText();
    std::size_t atoms = 0;
    for (auto _ : state) {
        Molecule m = ReadPdb(text, "tiled.pdb");
        atoms = m.atoms.size();
        benchmark::DoNotOptimize(m.atoms.data());
    }
    state.counters["atoms"] = static_cast<double>(atoms);
}

void BM_BuildScene(benchmark::State& state)
{
    const Molecule m = ReadPdb(TiledText(), "tiled.pdb");
    SceneOptions options;
    std::size_t bonds = 0;
    for (auto _ : state) {
        StructureFacts facts = AnalyseStructure(m, options);
        Axes axes = PrincipalAxes(Coordinates(m, facts.shown));
        Orvane::DisplayList3D scene = BuildScene(m, facts, axes, options);
        bonds = facts.bonds.size();
        benchmark::DoNotOptimize(&scene);
    }
    state.counters["bonds"] = static_cast<double>(bonds);
}

} // namespace

// A stream that counts what is written to it and keeps none of it.
class CountingBuffer : public std::streambuf
{
public:
    std::size_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override
    {
        bytes += static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type c) override
    {
        ++bytes;
        return traits_type::not_eof(c);
    }
};

const int kLargeScene = 200000;

void BM_BuildLargeScene(benchmark::State& state)
{
    const Molecule m = ReadPdb(TiledText(kLargeScene), "tiled.pdb");
    SceneOptions options;
    for (auto _ : state) {
        StructureFacts facts = AnalyseStructure(m, options);
        Axes axes = PrincipalAxes(Coordinates(m, facts.shown));
        Orvane::DisplayList3D scene = BuildScene(m, facts, axes, options);
        benchmark::DoNotOptimize(&scene);
    }
    state.counters["atoms"] = static_cast<double>(m.atoms.size());
}

void BM_WriteSvg(benchmark::State& state)
{
    const Molecule m = ReadPdb(TiledText(kLargeScene), "tiled.pdb");
    SceneOptions options;
    StructureFacts facts = AnalyseStructure(m, options);
    Orvane::Point3d::Array coords = Coordinates(m, facts.shown);
    Axes axes = PrincipalAxes(coords);
    const Orvane::DisplayList3D scene = BuildScene(m, facts, axes, options);
    View view = View::AlongAxes(axes);
    view.Fit(coords, 800, 0);
    std::size_t bytes = 0;
    for (auto _ : state) {
        CountingBuffer buffer;
        std::ostream out(&buffer);
        WriteSvg(out, DrawScene(scene, view), "tiled.pdb");
        bytes = buffer.bytes;
    }
    state.counters["bytes_per_atom"] = static_cast<double>(bytes) / static_cast<double>(facts.shown.size());
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

namespace {

// The tiled text of a million atoms in a file of its own, removed at exit.
const std::string& MillionAtomFile()
{
    static const struct File
    {
        File() : path("/tmp/orvscene-bench-" + std::to_string(static_cast<long>(::getpid())) + ".pdb")
        {
            std::ofstream(path, std::ios::binary) << TiledText(1000000);
        }
        ~File() { std::remove(path.c_str()); }
        std::string path;
    } file;
    return file.path;
}

void WholeRun(benchmark::State& state, int threads)
{
    const std::string out = MillionAtomFile() + "." + std::to_string(threads);
    const std::vector<std::string> args = {MillionAtomFile(), "--svg", out + ".svg", "--html", out + ".html",
                                           "--gltf", out + ".glb", "--threads", std::to_string(threads),
                                           "--no-timings"};
    // The tool as users run it, a process of its own: the page faults of its
    // fresh memory and the release of it at exit are part of its time.
    std::vector<char*> argv{const_cast<char*>(ORVSCENE_PROGRAM)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        const int failed = posix_spawn(&child, ORVSCENE_PROGRAM, &quiet, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (failed != 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("orvscene failed");
    }
    for (const char* extension : {".svg", ".html", ".glb"})
        std::remove((out + extension).c_str());
}

} // namespace

BENCHMARK(BM_ReadPdb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildScene)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildLargeScene)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSvg)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // The one-thread and two-thread runs of the tool take turns.
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    argc = static_cast<int>(args.size());
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    for (int threads : {1, 2})
        benchmark::RegisterBenchmark(("BM_OrvsceneThreads" + std::to_string(threads)).c_str(), WholeRun, threads)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(1)
            ->Repetitions(3);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // The bound is on time: scene time / read time at most 2, that is at
    // least 0.5 of the reader's speed.
    reporter.PrintSpeedRatio("scene building vs reading the PDB text", "BM_BuildScene", "BM_ReadPdb", 0.5);
    // Writing the picture (projection and SVG text) at least as fast as building the scene.
    reporter.PrintSpeedRatio("writing the SVG picture vs building the scene (200,000 atoms)", "BM_WriteSvg",
                             "BM_BuildLargeScene", 1.0);
    reporter.PrintTimeRatio("orvscene on 1M atoms writing --svg --html --gltf, 2 threads vs 1", "BM_OrvsceneThreads2",
                            "BM_OrvsceneThreads1", 0.65);
    benchmark::Shutdown();
    return 0;
}
