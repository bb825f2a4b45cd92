#include "Orvscene.h"

#include "AtomicFile.h"
#include "GltfWriter.h"
#include "HtmlPage.h"
#include "Jobs.h"
#include "Molecule.h"
#include "Parallel.h"
#include "Report.h"
#include "Json.h"
#include "SceneBuilder.h"
#include "SceneDocument.h"
#include "orvcore/graphics/scene/DisplayListKinds.h"
#include "SceneView.h"
#include "SceneWalk.h"

#include "orvcore/geometry/Superposition.h"
#include "orvcore/graphics/primitives/IconPrimitive.h"
#include "orvcore/graphics/primitives/LinePrimitives.h"
#include "orvcore/graphics/primitives/LitSolidPrimitives.h"
#include "orvcore/graphics/primitives/PointPrimitives.h"
#include "orvcore/graphics/primitives/TextPrimitives.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <functional>
#include <map>
#include <ostream>
#include <sstream>
#include <thread>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

using namespace Orvane;

namespace orvscene {

namespace {

struct Options {
    std::string input;
    ReadOptions reading;
    bool structureOptions = false; // an option that applies to a structure read, not to --read
    bool help = false;
    SceneOptions scene;
    std::string superpose;
    bool pick = false;
    double pickX = 0, pickY = 0;
    std::string svg;
    std::string html;
    std::string gltf;
    bool gltfInstanced = true; // --no-instancing writes plain meshes
    bool viewAngles = false;
    double angles[3] = {0, 0, 0};
    std::string write;
    std::string writeMoved;
    std::string read;
    bool json = false;
    bool timings = true;
    // Threads for reading, the bond search, the scene and the outputs: one per
    // processor unless --threads says otherwise. The outputs are the same for any number.
    int threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
};

// A mistake on the command line: exit 1.
Error UsageError(const std::string& reason)
{
    return Error(std::string(), 0L, reason, 1);
}

// Parses "a,b" or "a,b,c" into exactly `n` finite numbers.
bool ParseNumbers(const std::string& text, double* values, int n)
{
    std::istringstream in(text);
    for (int i = 0; i < n; ++i) {
        if (i && in.get() != ',')
            return false;
        if (!(in >> values[i]) || !std::isfinite(values[i]))
            return false;
    }
    return in.peek() == std::char_traits<char>::eof();
}

Options ParseOptions(const std::vector<std::string>& args)
{
    Options o;
    auto value = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size())
            throw UsageError(args[i] + " needs a value");
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--style") {
            if (!ParseStyle(value(i), o.scene.style))
                throw UsageError("unknown style '" + args[i] + "' (ball-and-stick, spacefill or wire)");
            o.structureOptions = true;
        } else if (a == "--hydrogens") {
            o.scene.hydrogens = true;
            o.structureOptions = true;
        } else if (a == "--labels") {
            if (!ParseLabels(value(i), o.scene.labels))
                throw UsageError("unknown labels '" + args[i] + "' (none, residues or atoms)");
            o.structureOptions = true;
        } else if (a == "--model") {
            char* end = nullptr;
            long m = std::strtol(value(i).c_str(), &end, 10);
            if (*end || m < 1 || m > 9999)
                throw UsageError("--model takes a model number from 1 to 9999");
            o.reading.model = static_cast<int>(m);
            o.structureOptions = true;
        } else if (a == "--altloc") {
            const std::string& id = value(i);
            if (id.size() != 1 || !std::isgraph(static_cast<unsigned char>(id[0])))
                throw UsageError("--altloc takes one alternate location identifier, such as A or B");
            o.reading.altLocation = id[0];
            o.structureOptions = true;
        } else if (a == "--superpose") {
            o.superpose = value(i);
        } else if (a == "--pick") {
            double xy[2];
            if (!ParseNumbers(value(i), xy, 2))
                throw UsageError("--pick takes X,Y in picture pixels");
            o.pick = true;
            o.pickX = xy[0];
            o.pickY = xy[1];
        } else if (a == "--svg") {
            o.svg = value(i);
        } else if (a == "--html") {
            o.html = value(i);
        } else if (a == "--gltf") {
            o.gltf = value(i);
        } else if (a == "--no-instancing") {
            o.gltfInstanced = false;
        } else if (a == "--view") {
            if (!ParseNumbers(value(i), o.angles, 3))
                throw UsageError("--view takes three angles in degrees, X,Y,Z");
            o.viewAngles = true;
        } else if (a == "--write") {
            o.write = value(i);
        } else if (a == "--write-moved") {
            o.writeMoved = value(i);
        } else if (a == "--read") {
            o.read = value(i);
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--no-timings") {
            o.timings = false;
        } else if (a == "--threads") {
            char* end = nullptr;
            const long n = std::strtol(value(i).c_str(), &end, 10);
            if (*end || args[i].empty() || n < 1 || n > 256)
                throw UsageError("--threads takes a number of threads from 1 to 256");
            o.threads = static_cast<int>(n);
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else if (o.input.empty()) {
            o.input = a;
        } else {
            throw UsageError("only one structure file can be given");
        }
    }
    if (!o.writeMoved.empty() && o.superpose.empty())
        throw UsageError("--write-moved writes the structure that --superpose moves: give --superpose OTHER");
    if (!o.read.empty() && (!o.input.empty() || !o.superpose.empty() || o.structureOptions))
        throw UsageError("--read loads a document; it takes no structure file, --superpose, --model, --altloc, "
                         "--style, --hydrogens or --labels");
    o.scene.threads = o.threads;
    o.reading.threads = o.threads;
    return o;
}

class Stopwatch
{
public:
    explicit Stopwatch(Report& report) : m_report(report) {}
    void Lap(const char* stage)
    {
        auto now = std::chrono::steady_clock::now();
        m_report.timings.emplace_back(stage, std::chrono::duration<double, std::milli>(now - m_last).count());
        m_last = now;
    }
    // A stage timed on its own (stages run side by side overlap).
    void Record(const char* stage, double ms) { m_report.timings.emplace_back(stage, ms); }

private:
    Report& m_report;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

// Counts the primitives of every list by kind label.
struct PrimitiveCounter : SceneVisitor {
    std::map<std::string, int> counts;
    template <class Kind>
    void Primitive(const Kind&, const char* label, const SceneListVisit&)
    {
        ++counts[label];
    }
};

// The kinds the picture outputs (SVG, page, glTF) draw.
template <class Kind>
constexpr bool kDrawn = std::is_same<Kind, SpherePrimitive>::value || std::is_same<Kind, CylinderPrimitive>::value ||
                        std::is_same<Kind, LinePrimitive>::value || std::is_same<Kind, DotPrimitive>::value ||
                        std::is_same<Kind, Text3DPrimitive>::value || std::is_same<Kind, IconPrimitive>::value;

void DescribeScene(const SceneDocument& doc, const Axes& axes, Report& r)
{
    r.source = doc.source;
    r.atoms = doc.atoms;
    r.bonds = doc.bonds;
    r.residues = doc.residues;
    r.chains = doc.chains;
    PrimitiveCounter counter;
    WalkScene(doc.scene, counter);
    std::map<std::string, int>& counts = counter.counts;
    r.primitives.clear();
    r.totalPrimitives = 0;
    r.notDrawn.clear();
    Orvane::ForEachPrimitiveArray([&](const auto& array) {
        using Kind = typename std::decay_t<decltype(array)>::Type;
        const int n = counts[array.label];
        if (n) {
            r.primitives.emplace_back(array.label, n);
            r.totalPrimitives += n;
            if (!kDrawn<Kind>)
                r.notDrawn.emplace_back(array.label, n);
        }
    });
    for (int k = 0; k < 3; ++k) {
        r.boxMin[k] = 0;
        r.boxMax[k] = 0;
    }
    for (int i = 0; i < doc.coordinates.GetSize(); ++i) {
        double p[3];
        doc.coordinates[i].GetXYZ(p[0], p[1], p[2]);
        for (int k = 0; k < 3; ++k) {
            r.boxMin[k] = i ? std::min(r.boxMin[k], p[k]) : p[k];
            r.boxMax[k] = i ? std::max(r.boxMax[k], p[k]) : p[k];
        }
    }
    axes.centroid.GetXYZ(r.centroid[0], r.centroid[1], r.centroid[2]);
    for (int k = 0; k < 3; ++k) {
        axes.axis[k].GetXYZ(r.axes[k][0], r.axes[k][1], r.axes[k][2]);
        r.extents[k] = axes.plus[k] + axes.minus[k];
    }
    r.planar = axes.planar;
}

// Alpha carbons by chain, residue number and insertion code (not segment:
// the two files of one entry need not agree on segments).
std::map<std::tuple<std::string, int, char>, Point3d> AlphaCarbons(const Molecule& m)
{
    std::map<std::tuple<std::string, int, char>, Point3d> cas;
    for (const Atom& a : m.atoms)
        if (a.name == "CA" && a.element == "C")
            cas.emplace(std::make_tuple(a.chain, a.residueNumber, a.insertion), Point3d(a.x, a.y, a.z));
    return cas;
}

// Reads the other structure and moves it onto the target by their common
// alpha carbons. The other structure is read at its first model, first
// conformers: --model and --altloc choose within the structure shown.
Molecule Superpose(const Molecule& target, const Options& o, Report& r)
{
    ReadOptions reading;
    reading.threads = o.threads;
    Molecule mobile = ReadStructureFile(o.superpose, reading);
    auto targetCas = AlphaCarbons(target);
    Point3d::Array t, m;
    for (const auto& entry : AlphaCarbons(mobile)) {
        auto hit = targetCas.find(entry.first);
        if (hit != targetCas.end()) {
            m.Add(entry.second);
            t.Add(hit->second);
        }
    }
    if (m.GetSize() == 0)
        throw Error(o.superpose, 0L, "no alpha carbons in common with the structure (by chain and residue number)");
    const SuperpositionResult fit = Orvane::Superpose(m, t);
    if (!fit.IsValid())
        throw Error(o.superpose, 0L, std::string("cannot superpose: ") + SuperpositionResult::Describe(fit.status));
    Point3d::Array all;
    all.SetSize(static_cast<int>(mobile.atoms.size()));
    for (std::size_t i = 0; i < mobile.atoms.size(); ++i)
        all[static_cast<int>(i)] = Point3d(mobile.atoms[i].x, mobile.atoms[i].y, mobile.atoms[i].z);
    fit.Apply(all);
    for (std::size_t i = 0; i < mobile.atoms.size(); ++i)
        all[static_cast<int>(i)].GetXYZ(mobile.atoms[i].x, mobile.atoms[i].y, mobile.atoms[i].z);
    r.superposed = true;
    r.superposedPairs = fit.count;
    r.rmsdBefore = fit.rmsdBefore;
    r.rmsdAfter = fit.rmsdAfter;
    r.superposedSource = mobile.source;
    r.superposedAtoms = static_cast<int>(mobile.atoms.size());
    return mobile;
}

// Builds the document from a structure read from a file or the embedded
// molecule, with the superposed structure (if any) drawn beside it in its
// own list. `shown` receives the atoms of the document's atom lists in order:
// the object identifier id names shown[id - 1].
SceneDocument BuildDocument(const Molecule& molecule, const Molecule* moved, const Options& o, Axes& axes,
                            Stopwatch& watch, Report& r, std::vector<const Atom*>& shown, std::size_t& firstMoved,
                            StructureFacts& facts)
{
    facts = AnalyseStructure(molecule, o.scene);
    watch.Lap("find bonds");
    SceneDocument doc;
    doc.source = molecule.source;
    doc.atoms = static_cast<int>(molecule.atoms.size());
    doc.bonds = static_cast<int>(facts.bonds.size());
    doc.residues = facts.residues;
    doc.chains = facts.chains;
    r.cappedAtoms = facts.cappedAtoms;
    r.bondCap = o.scene.maxBondsPerAtom;
    r.stackedAtoms = facts.stackedAtoms;
    r.statedBonds = facts.statedBonds;
    doc.coordinates = Coordinates(molecule, facts.shown);
    // The shown atoms' serials and labels, made in runs side by side.
    auto addAtoms = [&](const Molecule& m, const std::vector<int>& indices) {
        const int at = doc.serials.GetSize();
        doc.serials.SetSize(at + static_cast<int>(indices.size()));
        doc.labels.SetSize(at + static_cast<int>(indices.size()));
        ForEachInRuns(indices.size(), o.threads, [&](std::size_t k) {
            const Atom& atom = m.atoms[static_cast<std::size_t>(indices[k])];
            const int to = at + static_cast<int>(k);
            doc.serials[to] = atom.serial;
            doc.labels[to] = ToUtf8(AtomLabel(atom)).c_str();
        });
        for (int index : indices)
            shown.push_back(&m.atoms[static_cast<std::size_t>(index)]);
    };
    addAtoms(molecule, facts.shown);
    axes = PrincipalAxes(doc.coordinates);
    watch.Lap("principal axes");
    doc.scene = BuildScene(molecule, facts, axes, o.scene);
    if (moved) {
        SceneOptions options = o.scene;
        options.idOffset = static_cast<unsigned>(shown.size());
        options.dimmed = true;
        options.axes = false;
        StructureFacts other = AnalyseStructure(*moved, options);
        Point3d::Array points = Coordinates(*moved, other.shown);
        for (int i = 0; i < points.GetSize(); ++i)
            doc.coordinates.Add(points[i]);
        firstMoved = shown.size();
        addAtoms(*moved, other.shown);
        doc.scene.Add(BuildScene(*moved, other, axes, options));
    }
    watch.Lap("build scene");
    return doc;
}

void PickAtom(const SceneDocument& doc, const std::vector<const Atom*>& shown, std::size_t firstMoved,
              const View& view, const Options& o, Report& r)
{
    r.pickAsked = true;
    r.pickX = o.pickX;
    r.pickY = o.pickY;
    r.pickRadius = kPickRadius;
    Pick pick;
    if (!PickAt(GatherPickTargets(doc.scene), view, o.pickX, o.pickY, pick))
        return;
    r.picked = true;
    r.pickedId = pick.id;
    r.pickDistance = pick.distance;
    r.pickedAtom = "object " + std::to_string(pick.id);
    const std::size_t at = pick.id - 1;
    if (pick.id == 0 || at >= static_cast<std::size_t>(doc.serials.GetSize()))
        return;
    r.pickedSerial = doc.serials[static_cast<int>(at)];
    r.pickedAtom = doc.labels[static_cast<int>(at)].GetString();
    if (at < shown.size()) {
        const Atom& a = *shown[at];
        r.pickedFields = true;
        r.pickedName = a.name;
        r.pickedResidue = a.residue;
        r.pickedChain = a.chain;
        r.pickedSegment = a.segment;
        r.pickedElement = a.element;
        r.pickedResidueNumber = a.residueNumber;
        r.pickedInsertion = a.insertion;
        r.pickedAltLocation = a.altLocation;
        r.pickedMoved = at >= firstMoved;
    }
}

void DescribeLabels(const Molecule& molecule, const SceneOptions& options, Report& r)
{
    Labels labels = ResolveLabels(molecule, options.labels);
    r.labels = LabelsName(labels);
    if (options.labels == Labels::Automatic && labels == Labels::None)
        r.labelsNote = std::to_string(LabelledResidues(molecule)) + " residues, more than " +
                       std::to_string(kMaxAutomaticLabels) + " (--labels residues shows them)";
}

// How many outputs the options ask for.
int OutputCount(const Options& o)
{
    int count = 0;
    for (const std::string* path : {&o.svg, &o.html, &o.gltf, &o.write, &o.writeMoved})
        count += path->empty() ? 0 : 1;
    return count;
}

// One output: its path, the name of its stage in the timings, its weight
// (made side by side, the heaviest start first: the one whose long work no
// other thread can share, then those that hand back pieces for every thread,
// so that all threads stay busy to the end), what makes its content (in
// steps that may hand back pieces, see Work; none when `write` does
// everything) and what writes it.
struct Output {
    Output(const std::string& to, const char* name, int cost, std::function<Work()> maker,
           std::function<void(std::ostream&)> writer)
        : path(&to), stage(name), weight(cost), make(std::move(maker)), write(std::move(writer))
    {
    }
    const std::string* path;
    const char* stage;
    int weight;
    std::function<Work()> make;
    std::function<void(std::ostream&)> write;
};

// Writes every output asked for; they appear together when all are complete,
// or none does. Side by side, each output is written from a thread of its own
// while `alongside` runs too (the work of the run that the outputs do not
// need), and the picture is drawn by the SVG's job; otherwise `picture` was
// drawn before and the outputs are written one after another. The page
// counts the library's pick dots on its way: with one, `pickDots` receives
// their number.
bool WriteOutputs(const SceneDocument& doc, const SceneAtoms* atoms, const Molecule* molecule,
                  const StructureFacts* facts, const Molecule* moved, const Picture& picture, const View& view,
                  const Options& o, bool sideBySide, std::vector<Job> alongside, Stopwatch& watch, int& pickDots,
                  std::string& error)
{
    if (!o.html.empty() && !HtmlPage::Available()) {
        error = o.html + ": this build has no three.js module (run scripts/setup-deps.sh, then build again)";
        return false;
    }
    double drawMs = 0;
    Picture drawn; // side by side, the SVG's job draws the picture
    HtmlPage page;
    GltfWriter gltf(doc.scene, SceneTitle(doc, molecule), atoms, o.gltfInstanced);
    std::vector<Output> outputs;
    if (!o.svg.empty())
        outputs.emplace_back(
            o.svg, "write picture", 6,
            [&]() {
                const auto start = std::chrono::steady_clock::now();
                drawn = DrawScene(doc.scene, view);
                drawMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
                return Done();
            },
            [&](std::ostream& file) { WriteSvg(file, sideBySide ? drawn : picture, doc.source); });
    if (!o.html.empty())
        outputs.emplace_back(
            o.html, "write page", 5, [&]() { return page.Make(doc, view, atoms, molecule, &o.scene, facts); },
            [&](std::ostream& file) { page.Write(file); });
    if (!o.gltf.empty())
        outputs.emplace_back(o.gltf, "write glTF", 4, [&]() { return gltf.Make(); },
                             [&](std::ostream& file) { gltf.WriteMade(file); });
    if (!o.write.empty())
        outputs.emplace_back(o.write, "write document", 1, nullptr, [&](std::ostream& file) {
            const std::vector<BYTE> bytes = doc.ToBytes();
            file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        });
    if (!o.writeMoved.empty())
        outputs.emplace_back(o.writeMoved, "write moved", 1, nullptr,
                             [&](std::ostream& file) { WritePdb(file, *moved); });
    AtomicFileSet files;
    if (!sideBySide) {
        // The picture was drawn before.
        for (Output& output : outputs) {
            const bool drawing = output.path == &o.svg;
            if (!files.Write(*output.path,
                             [&](std::ostream& file) {
                                 if (output.make && !drawing)
                                     RunInTurn(output.make);
                                 output.write(file);
                             },
                             error))
                return false;
            watch.Lap(output.stage);
        }
        if (!o.html.empty())
            pickDots = static_cast<int>(page.LibraryPickDotCount());
        return files.Commit(error);
    }
    std::vector<std::size_t> slots(outputs.size());
    for (std::size_t k = 0; k < outputs.size(); ++k)
        if (!files.Reserve(*outputs[k].path, slots[k], error))
            return false;
    std::vector<std::string> errors(outputs.size());
    std::vector<char> written(outputs.size(), 0);
    std::vector<Job> jobs;
    for (std::size_t k = 0; k < outputs.size(); ++k)
        jobs.push_back({outputs[k].stage, outputs[k].weight, [&, k]() {
                            return Then(outputs[k].make ? outputs[k].make() : Done(),
                                        [&, k]() { written[k] = files.Fill(slots[k], outputs[k].write, errors[k]); });
                        }});
    for (Job& job : alongside)
        jobs.push_back(std::move(job));
    RunJobs(jobs, o.threads);
    for (std::size_t k = 0; k < outputs.size(); ++k)
        if (!written[k]) {
            error = errors[k];
            return false;
        }
    // The SVG's job (the first when there is one) drew the picture too.
    if (!o.svg.empty()) {
        watch.Record("draw picture", drawMs);
        jobs.front().ms -= drawMs;
    }
    for (const Job& job : jobs)
        watch.Record(job.stage, job.ms);
    if (!o.html.empty())
        pickDots = static_cast<int>(page.LibraryPickDotCount());
    watch.Lap("outputs side by side");
    return files.Commit(error);
}

// Objects handed over to the end of the process. Released one by one, the
// structures of a million atoms (a label, a scene entry and a record each)
// take a quarter of a second that a run about to exit need not spend: the
// system takes their memory back at once. The list hangs from a global, so
// that leak checkers see it as reachable.
struct Kept {
    virtual ~Kept() = default;
    Kept* next = nullptr;
};
Kept* g_kept = nullptr;

template <class... T>
void KeepUntilExit(T&&... objects)
{
    struct Objects : Kept {
        explicit Objects(T&&... o) : held(std::move(o)...) {}
        std::tuple<std::decay_t<T>...> held;
    };
    Kept* kept = new Objects(std::move(objects)...);
    kept->next = g_kept;
    g_kept = kept;
}

} // namespace

std::string Usage()
{
    return "usage: orvscene [FILE.pdb|FILE.cif|FILE.xyz|-] [--model N] [--altloc X] [--hydrogens]\n"
           "                [--style ball-and-stick|spacefill|wire] [--labels none|residues|atoms]\n"
           "                [--superpose OTHER] [--pick X,Y] [--view AX,AY,AZ] [--svg FILE] [--html FILE]\n"
           "                [--gltf FILE [--no-instancing]] [--write FILE] [--write-moved FILE] [--threads N]\n"
           "                [--json] [--no-timings]\n"
           "       orvscene --read FILE [--svg FILE] [--html FILE] [--gltf FILE] [--pick X,Y] [--view AX,AY,AZ]\n"
           "                [--threads N] [--json] [--no-timings]\n"
           "       orvscene --help\n"
           "FILE is PDB, mmCIF or XYZ, plain or gzip-compressed; - reads standard input. With no FILE,\n"
           "the embedded molecule (PDB entry 3AL1) is used. Residues are labelled up to " +
           std::to_string(kMaxAutomaticLabels) +
           " of them\n"
           "unless --labels says otherwise; --pick names the atom drawn in front at the picture point\n"
           "(or within " +
           std::to_string(static_cast<int>(kPickRadius)) +
           " pixels of it). --superpose draws OTHER moved onto FILE by their common alpha carbons;\n"
           "--write-moved writes its moved coordinates as PDB. An output of - goes to standard output\n"
           "(the summary is then left out). Exit status: 0 done, 1 usage error (also outputs that are\n"
           "one file, or an output that is an input), 2 unreadable input or unwritable output.\n"
           "--threads N shares the reading of a large PDB file, the bond search, the scene and the outputs\n"
           "among N threads (default: one per processor); the outputs are the same for any N.\n";
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool exiting)
{
    Options o;
    try {
        o = ParseOptions(args);
    } catch (const Error& e) {
        err << "orvscene: " << e.what() << "\n" << Usage();
        return 1;
    }
    if (o.help) {
        out << Usage();
        return 0;
    }
    Report report;
    Stopwatch watch(report);
    // An output on standard output leaves no room there for the summary.
    bool summary = true;
    try {
        std::vector<std::pair<std::string, std::string>> outputs;
        for (const auto& output : {std::make_pair("--svg", &o.svg), std::make_pair("--html", &o.html),
                                   std::make_pair("--gltf", &o.gltf), std::make_pair("--write", &o.write),
                                   std::make_pair("--write-moved", &o.writeMoved)})
            if (!output.second->empty()) {
                outputs.emplace_back(output.first, *output.second);
                summary = summary && *output.second != "-";
            }
        std::vector<std::string> inputs;
        for (const std::string* input : {&o.input, &o.superpose, &o.read})
            if (!input->empty())
                inputs.push_back(*input);
        CheckOutputPaths(outputs, inputs);
        SceneDocument doc;
        Molecule molecule; // the structure read, when the run builds its scene from one
        Molecule moved;    // the superposed structure, moved onto the first
        std::vector<const Atom*> shown;
        std::size_t firstMoved = static_cast<std::size_t>(-1);
        Axes axes;
        StructureFacts facts; // of the structure read
        if (!o.read.empty()) {
            const SceneDocument::Status status = doc.ReadFile(o.read.c_str());
            if (status != SceneDocument::ok)
                throw Error(o.read, 0L, SceneDocument::Describe(status));
            watch.Lap("read document");
            axes = PrincipalAxes(doc.coordinates);
            watch.Lap("principal axes");
        } else {
            molecule = o.input.empty() ? DefaultMolecule() : ReadStructureFile(o.input, o.reading);
            watch.Lap("read structure");
            report.format = molecule.format;
            report.entryId = molecule.entryId;
            report.title = molecule.title;
            report.repeatedSerials = molecule.repeatedSerials;
            if (!o.superpose.empty()) {
                moved = Superpose(molecule, o, report);
                watch.Lap("superpose");
            }
            doc = BuildDocument(molecule, o.superpose.empty() ? nullptr : &moved, o, axes, watch, report, shown,
                                firstMoved, facts);
            DescribeLabels(molecule, o.scene, report);
        }
        DescribeScene(doc, axes, report);

        // With several threads, the outputs are written side by side (even
        // one: its pieces share the threads), and the pick dots (counted for
        // the summary, unless the page counts them) and the picture are made
        // by jobs of their own among them.
        const bool sideBySide = o.threads > 1 && OutputCount(o) > 0;
        std::vector<Job> alongside;
        auto countPickDots = [&]() {
            std::vector<DotPrimitive> dots;
            report.pickDots = doc.scene.GetPickDots(dots);
            return Done();
        };
        if (o.html.empty() && sideBySide) {
            alongside.push_back({"pick dots", 1, countPickDots});
        } else if (o.html.empty()) {
            RunInTurn(countPickDots);
            watch.Lap("pick dots");
        }

        View view = o.viewAngles ? View::FromAngles(o.angles[0], o.angles[1], o.angles[2]) : View::AlongAxes(axes);
        view.Fit(doc.coordinates, 800, 0);
        Picture picture;
        if (!o.svg.empty() && !sideBySide) {
            picture = DrawScene(doc.scene, view);
            watch.Lap("draw picture");
        }
        if (o.pick) {
            PickAtom(doc, shown, firstMoved, view, o, report);
            watch.Lap("pick");
        }
        std::string error;
        SceneAtoms table{molecule.entryId, molecule.title, shown};
        const bool built = o.read.empty();
        if (!WriteOutputs(doc, built ? &table : nullptr, built ? &molecule : nullptr, built ? &facts : nullptr, &moved,
                          picture, view, o, sideBySide, std::move(alongside), watch, report.pickDots, error))
            throw Error(std::string(), 0L, error);
        if (exiting)
            KeepUntilExit(std::move(doc), std::move(molecule), std::move(moved), std::move(facts), std::move(shown));
    } catch (const Error& e) {
        err << "orvscene: " << e.what() << "\n";
        return e.status;
    } catch (const std::bad_alloc&) {
        err << "orvscene: out of memory\n";
        return 2;
    } catch (const std::exception& e) {
        err << "orvscene: " << e.what() << "\n";
        return 2;
    }
    if (!summary)
        return 0;
    if (o.json)
        WriteJson(out, report, o.timings);
    else
        WriteSummary(out, report, o.timings);
    return 0;
}

} // namespace orvscene
