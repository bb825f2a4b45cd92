#include "Report.h"

#include "Json.h"

#include <cstdio>
#include <ostream>

namespace orvscene {

namespace {

std::string Fixed(double v, int digits = 3)
{
    return JsonFixed(v, digits);
}

std::string Vector(const double* v, int digits = 3)
{
    return "(" + Fixed(v[0], digits) + ", " + Fixed(v[1], digits) + ", " + Fixed(v[2], digits) + ")";
}

void Array(JsonWriter& json, const double* v, int n, int digits)
{
    json.BeginArray();
    for (int i = 0; i < n; ++i)
        json.Fixed(v[i], digits);
    json.EndArray();
}

std::string Padded(const std::string& label)
{
    return "  " + label + std::string(label.size() < 22 ? 22 - label.size() : 1, ' ');
}

std::string Character(char c)
{
    return c == ' ' ? std::string() : std::string(1, c);
}

} // namespace

void WriteSummary(std::ostream& out, const Report& r, bool withTimings)
{
    out << "structure      " << ToUtf8(r.source) << "\n";
    if (!r.format.empty())
        out << "format         " << r.format << "\n";
    if (!r.entryId.empty() || !r.title.empty())
        out << "entry          " << ToUtf8(r.entryId) << (r.entryId.empty() || r.title.empty() ? "" : "  ")
            << ToUtf8(r.title) << "\n";
    out << "atoms          " << r.atoms << "\n";
    out << "bonds          " << r.bonds << "\n";
    out << "residues       " << r.residues << "\n";
    out << "chains         " << r.chains << "\n";
    if (r.statedBonds)
        out << "stated bonds   " << r.statedBonds << " (from CONECT records)\n";
    if (r.repeatedSerials)
        out << "warning        " << r.repeatedSerials << " atoms repeat the serial number of an earlier atom "
            << "(atoms are named by their place in the file)\n";
    if (r.cappedAtoms)
        out << "warning        " << r.cappedAtoms << " atoms had more than " << r.bondCap
            << " bonds within reach (the nearest " << r.bondCap << " kept)\n";
    if (r.stackedAtoms)
        out << "warning        " << r.stackedAtoms << " atoms lie at the position of an earlier atom (not bonded)\n";
    out << "primitives     " << r.totalPrimitives << "\n";
    for (const auto& kind : r.primitives)
        out << Padded(kind.first) << kind.second << "\n";
    if (!r.notDrawn.empty()) {
        out << "not drawn     ";
        for (std::size_t i = 0; i < r.notDrawn.size(); ++i)
            out << (i ? ", " : " ") << r.notDrawn[i].second << " " << r.notDrawn[i].first;
        out << " (in the document, not in the pictures)\n";
    }
    out << "pick dots      " << r.pickDots << "\n";
    out << "bounding box   " << Vector(r.boxMin) << " to " << Vector(r.boxMax) << "\n";
    out << "centroid       " << Vector(r.centroid) << "\n";
    for (int i = 0; i < 3; ++i)
        out << "axis " << i + 1 << "         " << Vector(r.axes[i], 4) << "  extent " << Fixed(r.extents[i]) << "\n";
    out << "planar         " << (r.planar ? "yes" : "no") << "\n";
    if (r.superposed)
        out << "superposition  " << r.superposedPairs << " alpha carbons, RMSD " << Fixed(r.rmsdBefore, 4)
            << " before, " << Fixed(r.rmsdAfter, 4) << " after\n";
    if (!r.labelsNote.empty())
        out << "labels         " << r.labels << ": " << r.labelsNote << "\n";
    if (r.picked)
        out << "picked         " << ToUtf8(r.pickedAtom) << (r.pickedMoved ? " (superposed structure)" : "") << " at "
            << Fixed(r.pickDistance, 2) << " px\n";
    else if (r.pickAsked)
        out << "picked         nothing within " << Fixed(r.pickRadius, 0) << " px of (" << Fixed(r.pickX, 1) << ", "
            << Fixed(r.pickY, 1) << ")\n";
    if (withTimings) {
        out << "timings (ms)\n";
        for (const auto& t : r.timings)
            out << Padded(t.first) << Fixed(t.second, 3) << "\n";
    }
}

void WriteJson(std::ostream& out, const Report& r, bool withTimings)
{
    JsonWriter json(true);
    json.BeginObject();
    json.Key("structure").String(r.source);
    if (!r.format.empty())
        json.Key("format").String(r.format);
    if (!r.entryId.empty())
        json.Key("entry_id").String(r.entryId);
    if (!r.title.empty())
        json.Key("title").String(r.title);
    json.Key("atoms").Int(r.atoms);
    json.Key("bonds").Int(r.bonds);
    json.Key("residues").Int(r.residues);
    json.Key("chains").Int(r.chains);
    if (r.statedBonds)
        json.Key("stated_bonds").Int(r.statedBonds);
    if (r.repeatedSerials)
        json.Key("repeated_serials").Int(r.repeatedSerials);
    if (r.cappedAtoms)
        json.Key("bond_cap").BeginObject().Key("bonds_per_atom").Int(r.bondCap).Key("atoms").Int(r.cappedAtoms).EndObject();
    if (r.stackedAtoms)
        json.Key("stacked_atoms").Int(r.stackedAtoms);
    json.Key("primitives").BeginObject();
    for (const auto& kind : r.primitives)
        json.Key(kind.first).Int(kind.second);
    json.EndObject();
    if (!r.notDrawn.empty()) {
        json.Key("not_drawn").BeginObject();
        for (const auto& kind : r.notDrawn)
            json.Key(kind.first).Int(kind.second);
        json.EndObject();
    }
    json.Key("total_primitives").Int(r.totalPrimitives);
    json.Key("pick_dots").Int(r.pickDots);
    json.Key("bounding_box").BeginObject().Key("min");
    Array(json, r.boxMin, 3, 4);
    json.Key("max");
    Array(json, r.boxMax, 3, 4);
    json.EndObject();
    json.Key("centroid");
    Array(json, r.centroid, 3, 4);
    json.Key("principal_axes").BeginArray();
    for (int i = 0; i < 3; ++i) {
        json.BeginObject().Key("axis");
        Array(json, r.axes[i], 3, 5);
        json.Key("extent").Fixed(r.extents[i], 4).EndObject();
    }
    json.EndArray();
    json.Key("planar").Bool(r.planar);
    if (r.superposed) {
        json.Key("superposition").BeginObject();
        json.Key("pairs").Int(r.superposedPairs);
        json.Key("rmsd_before").Fixed(r.rmsdBefore, 5);
        json.Key("rmsd_after").Fixed(r.rmsdAfter, 5);
        if (!r.superposedSource.empty())
            json.Key("other").String(r.superposedSource).Key("other_atoms").Int(r.superposedAtoms);
        json.EndObject();
    }
    if (!r.labelsNote.empty())
        json.Key("labels").BeginObject().Key("shown").String(r.labels).Key("note").String(r.labelsNote).EndObject();
    if (r.pickAsked && !r.picked)
        json.Key("picked").Null();
    if (r.picked) {
        json.Key("picked").BeginObject();
        json.Key("id").Int(r.pickedId);
        json.Key("serial").Int(r.pickedSerial);
        json.Key("atom").String(r.pickedAtom);
        if (r.pickedFields) {
            json.Key("name").String(r.pickedName);
            json.Key("alt_loc").String(Character(r.pickedAltLocation));
            json.Key("residue").String(r.pickedResidue);
            json.Key("residue_number").Int(r.pickedResidueNumber);
            json.Key("insertion_code").String(Character(r.pickedInsertion));
            json.Key("chain").String(r.pickedChain);
            json.Key("segment").String(r.pickedSegment);
            json.Key("element").String(r.pickedElement);
        }
        if (r.pickedMoved)
            json.Key("superposed").Bool(true);
        json.Key("distance_px").Fixed(r.pickDistance, 3);
        json.EndObject();
    }
    if (withTimings) {
        json.Key("timings_ms").BeginObject();
        for (const auto& t : r.timings)
            json.Key(t.first).Fixed(t.second, 3);
        json.EndObject();
    }
    json.EndObject();
    out << json.Text() << "\n";
}

} // namespace orvscene
