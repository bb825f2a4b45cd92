#include "Picture.h"

#include "Json.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <map>
#include <ostream>
#include <tuple>

namespace orvscene {

namespace {

std::string Hex(Rgb c)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02x%02x%02x", c.r, c.g, c.b);
    return buffer;
}

Rgb Shade(Rgb c, double f)
{
    auto channel = [f](unsigned char v) {
        double s = f <= 1 ? v * f : v + (255 - v) * (f - 1);
        return static_cast<unsigned char>(std::min(255.0, std::max(0.0, s)));
    };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

std::string Decimal(double v, int digits)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, v);
    return buffer;
}

// Text for XML character data and attributes, in UTF-8 (ToUtf8: bytes that
// do not form UTF-8 are taken as Latin-1). Control bytes, which XML cannot
// carry, become '?'.
std::string Escape(const std::string& raw)
{
    std::string out;
    for (char c : ToUtf8(raw)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: {
            unsigned char u = static_cast<unsigned char>(c);
            out += (u < 0x20 && c != '\t') || u == 0x7f ? '?' : c;
        }
        }
    }
    return out;
}

// Picture coordinates in tenths of a pixel, the precision the picture needs.
long ToTenths(double v)
{
    return std::lround(v * 10);
}

// The SVG text, gathered in a buffer and handed to the stream in large
// blocks; numbers are formatted by hand, which is what makes the picture of
// a large structure quick to write.
class SvgText
{
public:
    explicit SvgText(std::ostream& out) : m_out(out) { m_text.reserve(kBlock + 256); }
    ~SvgText() { Flush(); }
    SvgText& operator<<(const char* s)
    {
        m_text.append(s);
        return *this;
    }
    SvgText& operator<<(const std::string& s)
    {
        m_text.append(s);
        return *this;
    }
    SvgText& operator<<(int v) { return Integer(v); }
    // A value in tenths: "12.3", "-4", "0.5".
    SvgText& Tenths(long tenths)
    {
        if (tenths < 0) {
            m_text += '-';
            tenths = -tenths;
        }
        Integer(tenths / 10);
        if (tenths % 10) {
            m_text += '.';
            m_text += static_cast<char>('0' + tenths % 10);
        }
        return *this;
    }
    // "M x y l dx dy": a segment as a path, relative end so that it is short.
    SvgText& Segment(double x1, double y1, double x2, double y2)
    {
        long ax = ToTenths(x1), ay = ToTenths(y1);
        m_text += 'M';
        Tenths(ax);
        m_text += ' ';
        Tenths(ay);
        m_text += 'l';
        Tenths(ToTenths(x2) - ax);
        m_text += ' ';
        Tenths(ToTenths(y2) - ay);
        return *this;
    }
    void EndItem()
    {
        m_text += "\"/>\n";
        if (m_text.size() >= kBlock)
            Flush();
    }
    void Flush()
    {
        m_out.write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
        m_text.clear();
    }

private:
    SvgText& Integer(long v)
    {
        char digits[24];
        int n = 0;
        bool negative = v < 0;
        unsigned long u = negative ? 0UL - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
        do {
            digits[n++] = static_cast<char>('0' + u % 10);
            u /= 10;
        } while (u);
        if (negative)
            m_text += '-';
        while (n)
            m_text += digits[--n];
        return *this;
    }

    static const std::size_t kBlock = 1 << 20;
    std::ostream& m_out;
    std::string m_text;
};

// Numbers the distinct values of a kind in the order first met; the numbers
// name the shared definitions and style classes.
template <class Key>
class Palette
{
public:
    int operator[](const Key& key)
    {
        auto entry = m_index.try_emplace(key, static_cast<int>(m_keys.size()));
        if (entry.second)
            m_keys.push_back(key);
        return entry.first->second;
    }
    const std::vector<Key>& Keys() const { return m_keys; }

private:
    std::map<Key, int> m_index;
    std::vector<Key> m_keys;
};

using ColourKey = std::tuple<unsigned char, unsigned char, unsigned char>;
ColourKey KeyOf(Rgb c)
{
    return ColourKey(c.r, c.g, c.b);
}
Rgb RgbOf(const ColourKey& k)
{
    return {std::get<0>(k), std::get<1>(k), std::get<2>(k)};
}

// What the picture shares: a shaded gradient per disc colour, a disc symbol
// per colour and radius, a style class per stroke colour and width, per band
// width and per label colour.
struct Shared {
    Palette<ColourKey> gradients;
    Palette<std::pair<int, long>> discs;        // gradient, radius in hundredths
    Palette<std::pair<ColourKey, long>> strokes; // colour, width in hundredths
    Palette<long> bandWidths;                    // in hundredths
    Palette<ColourKey> bandColours;
    Palette<ColourKey> labelColours;
    std::vector<int> discSymbol, strokeClass, bandWidth, labelClass;
    std::vector<std::pair<int, int>> bandColour;

    explicit Shared(const Picture& p)
    {
        auto hundredths = [](double v) { return std::lround(v * 100); };
        for (const auto& d : p.discs)
            discSymbol.push_back(discs[{gradients[KeyOf(d.colour)], hundredths(d.radius)}]);
        for (const auto& s : p.strokes)
            strokeClass.push_back(strokes[{KeyOf(s.colour), hundredths(s.width)}]);
        for (const auto& b : p.bands) {
            bandWidth.push_back(bandWidths[hundredths(b.width)]);
            bandColour.emplace_back(bandColours[KeyOf(b.colour1)], bandColours[KeyOf(b.colour2)]);
        }
        for (const auto& l : p.labels)
            labelClass.push_back(labelColours[KeyOf(l.colour)]);
    }

    void WriteDefinitions(SvgText& out) const
    {
        out << "<defs>\n<style>\n";
        // Bands: a dark outline under a coloured core, as a shaded stick.
        for (std::size_t i = 0; i < bandWidths.Keys().size(); ++i) {
            double w = static_cast<double>(bandWidths.Keys()[i]) / 100.0;
            out << ".o" << static_cast<int>(i) << "{stroke:#000;stroke-opacity:.55;stroke-width:" << Decimal(w, 2)
                << "px}.k" << static_cast<int>(i) << "{stroke-width:" << Decimal(w * 0.62, 2) << "px}\n";
        }
        for (std::size_t i = 0; i < bandColours.Keys().size(); ++i)
            out << ".c" << static_cast<int>(i) << "{stroke:#" << Hex(RgbOf(bandColours.Keys()[i])) << "}\n";
        for (std::size_t i = 0; i < strokes.Keys().size(); ++i)
            out << ".s" << static_cast<int>(i) << "{stroke:#" << Hex(RgbOf(strokes.Keys()[i].first))
                << ";stroke-width:" << Decimal(static_cast<double>(strokes.Keys()[i].second) / 100.0, 2) << "px}\n";
        for (std::size_t i = 0; i < labelColours.Keys().size(); ++i)
            out << ".t" << static_cast<int>(i) << "{fill:#" << Hex(RgbOf(labelColours.Keys()[i])) << "}\n";
        out << "path{fill:none;stroke-linecap:round}\n"
               "text{font:11px Arial,sans-serif;stroke:#fff;stroke-width:2.5px;paint-order:stroke}\n"
               "</style>\n";
        for (std::size_t i = 0; i < gradients.Keys().size(); ++i) {
            Rgb base = RgbOf(gradients.Keys()[i]);
            out << "<radialGradient id=\"g" << static_cast<int>(i) << "\" cx=\".38\" cy=\".35\" r=\".7\">"
                << "<stop offset=\"0\" stop-color=\"#" << Hex(Shade(base, 1.6)) << "\"/>"
                << "<stop offset=\".45\" stop-color=\"#" << Hex(base) << "\"/>"
                << "<stop offset=\"1\" stop-color=\"#" << Hex(Shade(base, 0.35)) << "\"/></radialGradient>\n";
        }
        for (std::size_t i = 0; i < discs.Keys().size(); ++i)
            out << "<circle id=\"a" << static_cast<int>(i) << "\" r=\"" << Decimal(static_cast<double>(discs.Keys()[i].second) / 100.0, 2)
                << "\" fill=\"url(#g" << discs.Keys()[i].first << ")\"/>\n";
        out << "</defs>\n";
    }
};

// One paint operation, so that all kinds can be sorted together by depth.
struct Op {
    double depth;
    std::uint32_t order; // kind in the top two bits, index below: ties keep the order of the lists
};

const std::uint32_t kIndexMask = 0x3fffffffu;

void WriteBand(SvgText& out, const Picture::Band& b, int width, std::pair<int, int> colours)
{
    out << "<path class=\"o" << width << "\" d=\"";
    out.Segment(b.x1, b.y1, b.x2, b.y2).EndItem();
    if (colours.first == colours.second) {
        out << "<path class=\"k" << width << " c" << colours.first << "\" d=\"";
        out.Segment(b.x1, b.y1, b.x2, b.y2).EndItem();
        return;
    }
    double mx = (b.x1 + b.x2) / 2, my = (b.y1 + b.y2) / 2;
    out << "<path class=\"k" << width << " c" << colours.first << "\" d=\"";
    out.Segment(b.x1, b.y1, mx, my).EndItem();
    out << "<path class=\"k" << width << " c" << colours.second << "\" d=\"";
    out.Segment(mx, my, b.x2, b.y2).EndItem();
}

} // namespace

void WriteSvg(std::ostream& stream, const Picture& p, const std::string& title)
{
    SvgText out(stream);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << p.width << "\" height=\"" << p.height
        << "\" viewBox=\"0 0 " << p.width << " " << p.height << "\">\n"
        << "<title>" << Escape(title) << "</title>\n";
    const Shared shared(p);
    shared.WriteDefinitions(out);
    out << "<rect width=\"100%\" height=\"100%\" fill=\"#" << Hex(p.background) << "\"/>\n";

    std::vector<Op> ops;
    ops.reserve(p.discs.size() + p.bands.size() + p.strokes.size() + p.labels.size());
    auto add = [&](std::uint32_t kind, const auto& items) {
        for (std::size_t i = 0; i < items.size(); ++i)
            ops.push_back({items[i].depth, kind << 30 | static_cast<std::uint32_t>(i)});
    };
    add(0, p.discs);
    add(1, p.bands);
    add(2, p.strokes);
    add(3, p.labels);
    std::sort(ops.begin(), ops.end(),
              [](const Op& a, const Op& b) { return a.depth < b.depth || (a.depth == b.depth && a.order < b.order); });

    for (const Op& op : ops) {
        const std::size_t i = op.order & kIndexMask;
        switch (op.order >> 30) {
        case 0: {
            const auto& d = p.discs[i];
            out << "<use href=\"#a" << shared.discSymbol[i] << "\" x=\"";
            out.Tenths(ToTenths(d.x)) << "\" y=\"";
            out.Tenths(ToTenths(d.y)).EndItem();
            break;
        }
        case 1:
            WriteBand(out, p.bands[i], shared.bandWidth[i], shared.bandColour[i]);
            break;
        case 2: {
            const auto& s = p.strokes[i];
            out << "<path class=\"s" << shared.strokeClass[i] << "\" d=\"";
            out.Segment(s.x1, s.y1, s.x2, s.y2).EndItem();
            break;
        }
        default: {
            const auto& l = p.labels[i];
            out << "<text class=\"t" << shared.labelClass[i] << "\" x=\"";
            out.Tenths(ToTenths(l.x)) << "\" y=\"";
            out.Tenths(ToTenths(l.y)) << "\">" << Escape(l.text) << "</text>\n";
        }
        }
    }
    out << "</svg>\n";
}

} // namespace orvscene
