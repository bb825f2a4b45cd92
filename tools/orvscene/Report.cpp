#include "Report.h"

#include <cstdio>
#include <ostream>

namespace orvscene {

namespace {

std::string Fixed(double v, int digits = 3)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, v);
    return buffer;
}

std::string Vector(const double* v, int digits = 3)
{
    return "(" + Fixed(v[0], digits) + ", " + Fixed(v[1], digits) + ", " + Fixed(v[2], digits) + ")";
}

std::string JsonArray(const double* v, int n, int digits = 4)
{
    std::string out = "[";
    for (int i = 0; i < n; ++i)
        out += (i ? ", " : "") + Fixed(v[i], digits);
    return out + "]";
}

} // namespace

std::string JsonString(const std::string& s)
{
    std::string out = "\"";
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void WriteSummary(std::ostream& out, const Report& r, bool withTimings)
{
    out << "structure      " << r.source << "\n";
    out << "atoms          " << r.atoms << "\n";
    out << "bonds          " << r.bonds << "\n";
    out << "residues       " << r.residues << "\n";
    out << "chains         " << r.chains << "\n";
    out << "primitives     " << r.totalPrimitives << "\n";
    for (const auto& kind : r.primitives)
        out << "  " << kind.first << std::string(kind.first.size() < 22 ? 22 - kind.first.size() : 1, ' ')
            << kind.second << "\n";
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
        out << "picked         " << r.pickedAtom << " at " << Fixed(r.pickDistance, 2) << " px\n";
    else if (r.pickAsked)
        out << "picked         nothing within " << Fixed(r.pickRadius, 0) << " px of (" << Fixed(r.pickX, 1) << ", "
            << Fixed(r.pickY, 1) << ")\n";
    if (withTimings) {
        out << "timings (ms)\n";
        for (const auto& t : r.timings)
            out << "  " << t.first << std::string(t.first.size() < 22 ? 22 - t.first.size() : 1, ' ')
                << Fixed(t.second, 3) << "\n";
    }
}

void WriteJson(std::ostream& out, const Report& r, bool withTimings)
{
    out << "{\n";
    out << "  \"structure\": " << JsonString(r.source) << ",\n";
    out << "  \"atoms\": " << r.atoms << ",\n";
    out << "  \"bonds\": " << r.bonds << ",\n";
    out << "  \"residues\": " << r.residues << ",\n";
    out << "  \"chains\": " << r.chains << ",\n";
    out << "  \"primitives\": {";
    for (std::size_t i = 0; i < r.primitives.size(); ++i)
        out << (i ? ", " : "") << JsonString(r.primitives[i].first) << ": " << r.primitives[i].second;
    out << "},\n";
    out << "  \"total_primitives\": " << r.totalPrimitives << ",\n";
    out << "  \"pick_dots\": " << r.pickDots << ",\n";
    out << "  \"bounding_box\": {\"min\": " << JsonArray(r.boxMin, 3) << ", \"max\": " << JsonArray(r.boxMax, 3)
        << "},\n";
    out << "  \"centroid\": " << JsonArray(r.centroid, 3) << ",\n";
    out << "  \"principal_axes\": [";
    for (int i = 0; i < 3; ++i)
        out << (i ? ", " : "") << "{\"axis\": " << JsonArray(r.axes[i], 3, 5)
            << ", \"extent\": " << Fixed(r.extents[i], 4) << "}";
    out << "],\n";
    out << "  \"planar\": " << (r.planar ? "true" : "false");
    if (r.superposed)
        out << ",\n  \"superposition\": {\"pairs\": " << r.superposedPairs
            << ", \"rmsd_before\": " << Fixed(r.rmsdBefore, 5) << ", \"rmsd_after\": " << Fixed(r.rmsdAfter, 5)
            << "}";
    if (!r.labelsNote.empty())
        out << ",\n  \"labels\": {\"shown\": " << JsonString(r.labels) << ", \"note\": " << JsonString(r.labelsNote)
            << "}";
    if (r.pickAsked && !r.picked)
        out << ",\n  \"picked\": null";
    if (r.picked)
        out << ",\n  \"picked\": {\"serial\": " << r.pickedSerial << ", \"atom\": " << JsonString(r.pickedAtom)
            << ", \"distance_px\": " << Fixed(r.pickDistance, 3) << "}";
    if (withTimings) {
        out << ",\n  \"timings_ms\": {";
        for (std::size_t i = 0; i < r.timings.size(); ++i)
            out << (i ? ", " : "") << JsonString(r.timings[i].first) << ": " << Fixed(r.timings[i].second, 3);
        out << "}";
    }
    out << "\n}\n";
}

} // namespace orvscene
