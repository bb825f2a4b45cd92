#include "Picture.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>

namespace orvscene {

namespace {

std::string Hex(Rgb c)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02x%02x%02x", c.r, c.g, c.b);
    return buffer;
}

Rgb Scale(Rgb c, double f)
{
    auto channel = [f](unsigned char v) {
        double s = f <= 1 ? v * f : v + (255 - v) * (f - 1);
        return static_cast<unsigned char>(std::min(255.0, std::max(0.0, s)));
    };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

std::string Num(double v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// One paint operation, so that all kinds can be sorted together by depth.
struct Op {
    double depth;
    int kind;
    std::size_t index;
};

void WriteBand(std::ostream& out, const Picture::Band& b)
{
    double mx = (b.x1 + b.x2) / 2, my = (b.y1 + b.y2) / 2;
    const Rgb halves[2][2] = {{b.colour1, b.colour1}, {b.colour2, b.colour2}};
    const double ends[2][4] = {{b.x1, b.y1, mx, my}, {mx, my, b.x2, b.y2}};
    for (int h = 0; h < 2; ++h) {
        const double* e = ends[h];
        out << "<line x1=\"" << Num(e[0]) << "\" y1=\"" << Num(e[1]) << "\" x2=\"" << Num(e[2]) << "\" y2=\""
            << Num(e[3]) << "\" stroke=\"#" << Hex(Scale(halves[h][0], 0.55)) << "\" stroke-width=\""
            << Num(b.width) << "\" stroke-linecap=\"round\"/>\n";
        out << "<line x1=\"" << Num(e[0]) << "\" y1=\"" << Num(e[1]) << "\" x2=\"" << Num(e[2]) << "\" y2=\""
            << Num(e[3]) << "\" stroke=\"#" << Hex(halves[h][1]) << "\" stroke-width=\"" << Num(b.width * 0.6)
            << "\" stroke-linecap=\"round\"/>\n";
        out << "<line x1=\"" << Num(e[0]) << "\" y1=\"" << Num(e[1]) << "\" x2=\"" << Num(e[2]) << "\" y2=\""
            << Num(e[3]) << "\" stroke=\"#" << Hex(Scale(halves[h][1], 1.5)) << "\" stroke-width=\""
            << Num(b.width * 0.2) << "\" stroke-linecap=\"round\"/>\n";
    }
}

} // namespace

void WriteSvg(std::ostream& out, const Picture& p, const std::string& title)
{
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << p.width << "\" height=\"" << p.height
        << "\" viewBox=\"0 0 " << p.width << " " << p.height << "\">\n";
    out << "<title>" << Escape(title) << "</title>\n";
    std::set<std::string> colours;
    for (const auto& d : p.discs)
        colours.insert(Hex(d.colour));
    out << "<defs>\n";
    for (const std::string& c : colours) {
        unsigned r, g, b;
        std::sscanf(c.c_str(), "%02x%02x%02x", &r, &g, &b);
        Rgb base{static_cast<unsigned char>(r), static_cast<unsigned char>(g), static_cast<unsigned char>(b)};
        out << "<radialGradient id=\"s" << c << "\" cx=\"0.38\" cy=\"0.35\" r=\"0.7\">"
            << "<stop offset=\"0\" stop-color=\"#" << Hex(Scale(base, 1.6)) << "\"/>"
            << "<stop offset=\"0.45\" stop-color=\"#" << c << "\"/>"
            << "<stop offset=\"1\" stop-color=\"#" << Hex(Scale(base, 0.35)) << "\"/></radialGradient>\n";
    }
    out << "</defs>\n";
    out << "<rect width=\"100%\" height=\"100%\" fill=\"#" << Hex(p.background) << "\"/>\n";

    std::vector<Op> ops;
    ops.reserve(p.discs.size() + p.bands.size() + p.strokes.size() + p.labels.size());
    for (std::size_t i = 0; i < p.discs.size(); ++i)
        ops.push_back({p.discs[i].depth, 0, i});
    for (std::size_t i = 0; i < p.bands.size(); ++i)
        ops.push_back({p.bands[i].depth, 1, i});
    for (std::size_t i = 0; i < p.strokes.size(); ++i)
        ops.push_back({p.strokes[i].depth, 2, i});
    for (std::size_t i = 0; i < p.labels.size(); ++i)
        ops.push_back({p.labels[i].depth, 3, i});
    std::stable_sort(ops.begin(), ops.end(), [](const Op& a, const Op& b) { return a.depth < b.depth; });

    for (const Op& op : ops) {
        switch (op.kind) {
        case 0: {
            const auto& d = p.discs[op.index];
            out << "<circle cx=\"" << Num(d.x) << "\" cy=\"" << Num(d.y) << "\" r=\"" << Num(d.radius)
                << "\" fill=\"url(#s" << Hex(d.colour) << ")\"/>\n";
            break;
        }
        case 1:
            WriteBand(out, p.bands[op.index]);
            break;
        case 2: {
            const auto& s = p.strokes[op.index];
            out << "<line x1=\"" << Num(s.x1) << "\" y1=\"" << Num(s.y1) << "\" x2=\"" << Num(s.x2) << "\" y2=\""
                << Num(s.y2) << "\" stroke=\"#" << Hex(s.colour) << "\" stroke-width=\"" << Num(s.width)
                << "\" stroke-linecap=\"round\"/>\n";
            break;
        }
        default: {
            const auto& l = p.labels[op.index];
            out << "<text x=\"" << Num(l.x) << "\" y=\"" << Num(l.y)
                << "\" font-family=\"Arial, sans-serif\" font-size=\"11\" fill=\"#" << Hex(l.colour)
                << "\" stroke=\"#ffffff\" stroke-width=\"2.5\" paint-order=\"stroke\">" << Escape(l.text)
                << "</text>\n";
        }
        }
    }
    out << "</svg>\n";
}

} // namespace orvscene
