#include "orvcore/color/ColorMap.h"

#include "orvcore/color/ColorArray.h"

#include <algorithm>

namespace Orvane {

ColorMap::ColorMap() : ColorMap(256)
{
}

ColorMap::ColorMap(int size)
{
    SetSize(size);
    m_end = m_lastIndex;
    UpdateScale();
    Ramp(true);
}

ColorMap::ColorMap(const ColorMap& other) = default;
ColorMap& ColorMap::operator=(const ColorMap& other) = default;
ColorMap::~ColorMap() = default;

void ColorMap::SetSize(int size)
{
    m_sizeMap = std::max(size, 1);
    m_lastIndex = m_sizeMap - 1;
}

void ColorMap::UpdateScale()
{
    m_scale = m_begin == m_end ? 1.0 : m_lastIndex / (m_begin - m_end);
}

void ColorMap::SetBeginEnd(double begin, double end)
{
    m_begin = begin;
    m_end = end;
    UpdateScale();
}

int ColorMap::IndexOfValue(double x) const
{
    // Equal bounds leave no range to spread over: a step at the bound keeps the
    // lookup monotonic (the scale of 1 would run the wrong way).
    if (m_begin == m_end)
        return x > m_begin ? m_lastIndex : 0;
    const double t = (m_begin - x) * m_scale;
    // Clamped before the conversion, so huge values and NaN stay defined.
    if (!(t > 0.0))
        return 0;
    if (t >= m_lastIndex)
        return m_lastIndex;
    return static_cast<int>(t);
}

Color ColorMap::ColorAtIndex(int i) const
{
    return m_map[static_cast<std::size_t>(std::clamp(i, 0, m_lastIndex))];
}

Color ColorMap::ColorAtEntry(int i) const
{
    if (m_colors.empty())
        return Color();
    return m_colors[static_cast<std::size_t>(std::clamp(i, 0, SizeColors() - 1))];
}

void ColorMap::SetColorAtIndex(int i, Color c)
{
    if (i >= 0 && i < m_sizeMap)
        m_map[static_cast<std::size_t>(i)] = c;
}

void ColorMap::SetColorForRange(double x1, double x2, Color c)
{
    const int a = IndexOfValue(x1);
    const int b = IndexOfValue(x2);
    std::fill(m_map.begin() + std::min(a, b), m_map.begin() + std::max(a, b) + 1, c);
}

void ColorMap::Ramp(bool blended)
{
    const Color colors[3] = {Color(0, 0, 1), Color(0, 1, 0), Color(1, 0, 0)};
    Ramp(3, colors, blended);
}

void ColorMap::Ramp(Color c1, Color c2, bool blended)
{
    const Color colors[2] = {c1, c2};
    Ramp(2, colors, blended);
}

void ColorMap::Ramp(Color c1, Color c2, Color c3, bool blended)
{
    const Color colors[3] = {c1, c2, c3};
    Ramp(3, colors, blended);
}

void ColorMap::Ramp(int n, const Color* colors, bool blended)
{
    if (n > 0 && colors)
        m_colors.assign(colors, colors + n);
    else
        m_colors.clear();
    m_blended = blended;
    Build();
}

void ColorMap::Ramp(const ColorArray& colors, bool blended)
{
    Ramp(colors.GetSize(), colors.GetData(), blended);
}

void ColorMap::Resize(int size)
{
    SetSize(size);
    UpdateScale();
    Build();
}

void ColorMap::Invert()
{
    std::reverse(m_colors.begin(), m_colors.end());
    std::reverse(m_map.begin(), m_map.end());
}

void ColorMap::Build()
{
    m_map.assign(static_cast<std::size_t>(m_sizeMap), Color());
    const int n = SizeColors();
    if (n == 0)
        return; // nothing to build from: the entries stay black
    if (n == m_sizeMap)
        m_map = m_colors;
    else if (n == 1)
        std::fill(m_map.begin(), m_map.end(), m_colors[0]);
    else if (!m_blended)
        BuildFlatBands();
    else if (m_sizeMap < n)
        BuildFewerEntries();
    else
        BuildGradient();
}

// Equal bands of S / N entries; the last colour also takes the remainder.
void ColorMap::BuildFlatBands()
{
    const int n = SizeColors();
    const int step = m_sizeMap / n;
    for (int i = 0; i < n; ++i) {
        const int first = i * step;
        const int last = i == n - 1 ? m_sizeMap : first + step;
        std::fill(m_map.begin() + first, m_map.begin() + last, m_colors[static_cast<std::size_t>(i)]);
    }
}

// Fewer entries than control colours: each entry picks a control colour,
// spread so that the first and last entries take the first and last colours.
void ColorMap::BuildFewerEntries()
{
    const int n = SizeColors();
    for (int i = 0; i < m_sizeMap; ++i) {
        double t = static_cast<double>(i) * n / m_sizeMap;
        if (i == m_lastIndex)
            t = n - 1;
        else if (i > m_sizeMap / 2)
            t += 0.5;
        m_map[static_cast<std::size_t>(i)] = m_colors[static_cast<std::size_t>(static_cast<int>(t))];
    }
}

// Linear gradients between successive control colours. Channels are taken
// at double precision through the single-precision 1/255, and the per-entry
// step is rounded to single precision, so each segment starts exactly on its
// control colour and the last entry is computed from the last colour.
void ColorMap::BuildGradient()
{
    const int n = SizeColors();
    const int step = m_sizeMap / (n - 1);
    const double k = static_cast<double>(Color::ByteToFloat(1));
    for (int i = 0; i <= n - 2; ++i) {
        const bool lastSegment = i == n - 2;
        const int start = i * step;
        const int length = lastSegment ? m_sizeMap - start : step;
        const int divisor = std::max(lastSegment ? length - 1 : length, 1);
        const unsigned char* from = m_colors[static_cast<std::size_t>(i)];
        const unsigned char* to = m_colors[static_cast<std::size_t>(i + 1)];
        double a[4], d[4];
        for (int c = 0; c < 4; ++c) {
            a[c] = from[c] * k;
            d[c] = static_cast<float>((to[c] * k - a[c]) / divisor);
        }
        auto channel = [&](int c, int j) { return Color::ScaledToByte((a[c] + j * d[c]) * 255.0); };
        for (int j = 0; j < length; ++j)
            m_map[static_cast<std::size_t>(start + j)] =
                Color(channel(0, j), channel(1, j), channel(2, j), channel(3, j));
    }
}

} // namespace Orvane
