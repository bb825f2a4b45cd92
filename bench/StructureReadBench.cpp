// Reading and bonding a structure file, against gemmi (the field's structure
// library) reading the same mmCIF file and searching its contacts within the
// same cutoff: 1M atoms, orvscene at most 0.7 of gemmi's time. And a crowded
// file, 20,000 atoms at one point, against 20,000 atoms of a real entry read
// and bonded the same way: at most 5 times the time.

#include "Molecule.h"
#include "SceneBuilder.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <gemmi/contact.hpp>
#include <gemmi/mmread.hpp>
#include <gemmi/neighbor.hpp>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace orvscene;

namespace {

struct Record {
    std::string name, residue, element;
    int number;
    double x, y, z;
};

// The atoms of the test entry (1631 atoms, first conformers).
const std::vector<Record>& Entry()
{
    static std::vector<Record> records;
    if (records.empty())
        for (const Atom& a : ReadStructureFile(std::string(ORVCORE_SOURCE_DIR) + "/tests/data/1hpv.pdb").atoms)
            records.push_back({a.name, a.residue, a.element, a.residueNumber, a.x, a.y, a.z});
    return records;
}

// An mmCIF file of the entry tiled on a grid 60 angstrom apart until it holds
// `atoms` atoms (each tile its own chain), or of `atoms` atoms at one point.
std::string WriteCif(int atoms, bool onePoint)
{
    const std::string path = "/tmp/orvscene-bench-" + std::to_string(static_cast<long>(::getpid())) + "-" +
                             std::to_string(atoms) + (onePoint ? "-point" : "") + ".cif";
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::fprintf(out, "data_TILED\n_entry.id TILED\nloop_\n_atom_site.group_PDB\n_atom_site.id\n"
                      "_atom_site.type_symbol\n_atom_site.label_atom_id\n_atom_site.label_alt_id\n"
                      "_atom_site.label_comp_id\n_atom_site.label_asym_id\n_atom_site.label_seq_id\n"
                      "_atom_site.pdbx_PDB_ins_code\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n"
                      "_atom_site.occupancy\n_atom_site.B_iso_or_equiv\n_atom_site.auth_seq_id\n"
                      "_atom_site.auth_asym_id\n_atom_site.pdbx_PDB_model_num\n");
    const std::vector<Record>& entry = Entry();
    int serial = 0;
    for (int tile = 0; serial < atoms; ++tile) {
        const double dx = 60.0 * (tile % 16), dy = 60.0 * (tile / 16 % 16), dz = 60.0 * (tile / 256);
        const std::string chain = "T" + std::to_string(tile);
        for (const Record& r : entry) {
            if (serial == atoms)
                break;
            ++serial;
            const double x = onePoint ? 0 : r.x + dx, y = onePoint ? 0 : r.y + dy, z = onePoint ? 0 : r.z + dz;
            std::fprintf(out, "ATOM %d %s %s . %s %s %d ? %.3f %.3f %.3f 1.00 20.00 %d %s 1\n", serial,
                         r.element.c_str(), r.name.c_str(), r.residue.c_str(), chain.c_str(), r.number, x, y, z,
                         r.number, chain.c_str());
        }
    }
    std::fclose(out);
    return path;
}

struct Files {
    std::string large = WriteCif(1000000, false);
    std::string real20k = WriteCif(20000, false);
    std::string point20k = WriteCif(20000, true);
    ~Files()
    {
        for (const std::string* f : {&large, &real20k, &point20k})
            std::remove(f->c_str());
    }
};

const Files& TheFiles()
{
    static Files files;
    return files;
}

void ReadAndBond(benchmark::State& state, const std::string& path)
{
    SceneOptions options;
    std::size_t bonds = 0, atoms = 0;
    for (auto _ : state) {
        Molecule m = ReadStructureFile(path);
        StructureFacts facts = AnalyseStructure(m, options);
        bonds = facts.bonds.size();
        atoms = m.atoms.size();
        benchmark::DoNotOptimize(facts.bonds.data());
    }
    state.counters["atoms"] = static_cast<double>(atoms);
    state.counters["bonds"] = static_cast<double>(bonds);
}

void BM_OrvsceneReadAndBond1M(benchmark::State& state)
{
    ReadAndBond(state, TheFiles().large);
}

// gemmi: read the file, then every pair of atoms within the tool's bond
// search cutoff (twice the largest covalent radius of the entry, sulfur's
// 1.05, + 0.45).
void BM_GemmiReadAndContacts1M(benchmark::State& state)
{
    const float cutoff = 2 * 1.05f + 0.45f;
    std::size_t contacts = 0;
    for (auto _ : state) {
        gemmi::Structure st = gemmi::read_structure_file(TheFiles().large);
        gemmi::NeighborSearch ns(st.models[0], st.cell, cutoff);
        ns.populate(false);
        gemmi::ContactSearch search(cutoff);
        search.ignore = gemmi::ContactSearch::Ignore::Nothing;
        contacts = 0;
        search.for_each_contact(ns, [&](const gemmi::CRA&, const gemmi::CRA&, int, float) { ++contacts; });
        benchmark::DoNotOptimize(contacts);
    }
    state.counters["contacts"] = static_cast<double>(contacts);
}

void BM_RealEntry20k(benchmark::State& state)
{
    ReadAndBond(state, TheFiles().real20k);
}

void BM_OnePoint20k(benchmark::State& state)
{
    ReadAndBond(state, TheFiles().point20k);
}

} // namespace

BENCHMARK(BM_OrvsceneReadAndBond1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_GemmiReadAndContacts1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RealEntry20k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnePoint20k)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(RatioReporter::Clock::cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Time bound 0.7 of gemmi's: a speed ratio of at least 1/0.7.
    reporter.PrintSpeedRatio("reading and bonding a 1M-atom mmCIF vs gemmi's read + contact search",
                             "BM_OrvsceneReadAndBond1M", "BM_GemmiReadAndContacts1M", 1 / 0.7);
    // Time bound 5 times the real entry's: a speed ratio of at least 0.2.
    reporter.PrintSpeedRatio("20,000 atoms at one point vs 20,000 atoms of a real entry", "BM_OnePoint20k",
                             "BM_RealEntry20k", 0.2);
    benchmark::Shutdown();
    return 0;
}
