#pragma once

/// \file
/// ColorMap, a colour lookup table over a value range.
#include "orvcore/Export.h"
#include "orvcore/color/Color.h"

#include <vector>

namespace Orvane {

class ColorArray;

/// A colour lookup table built from a few control colours, either as
/// gradients between them (blended) or as equal bands of flat colour, with a
/// value range [begin, end] mapped linearly onto the table's indices.
///
/// The table always has at least one entry: a size below 1 is taken as 1.
/// Lookups clamp their index into range; edits of entries outside the table
/// are ignored.
///
/// \valuethreads
class ORVCORE_API ColorMap
{
public:
    /// A table of 256 entries.
    ColorMap();
    /// A table of size entries (at least 1) with the default ramp and the range
    /// [0, size - 1].
    explicit ColorMap(int size);
    /// Copies.
    ///@{
    ColorMap(const ColorMap& other);
    ColorMap& operator=(const ColorMap& other);
    ///@}
    /// Destroys the table.
    virtual ~ColorMap();

    /// Sets the value range mapped onto the table.
    void SetBeginEnd(double begin, double end);
    /// Sets one end of the value range, keeping the other.
    ///@{
    void SetBegin(double begin) { SetBeginEnd(begin, m_end); }
    void SetEnd(double end) { SetBeginEnd(m_begin, end); }
    ///@}
    /// The value mapped to index 0.
    double Begin() const { return m_begin; }
    /// The value mapped to the last index.
    double End() const { return m_end; }

    /// The table index of a value: begin maps to 0, end to the last index,
    /// anything beyond either end to that end.
    int IndexOfValue(double x) const;

    /// Entry i, with i clamped into the table.
    Color ColorAtIndex(int i) const;
    /// The entry of IndexOfValue(x).
    Color ColorAtValue(double x) const { return m_map[static_cast<std::size_t>(IndexOfValue(x))]; }
    /// Control colour i, clamped to the first and last; black (alpha 0) when
    /// there are no control colours.
    Color ColorAtEntry(int i) const;

    /// Sets entry i; an index outside the table is ignored.
    void SetColorAtIndex(int i, Color c);
    /// Sets the entry of IndexOfValue(x).
    void SetColorForValue(double x, Color c) { SetColorAtIndex(IndexOfValue(x), c); }
    /// Every entry from IndexOfValue(x1) to IndexOfValue(x2), both included.
    void SetColorForRange(double x1, double x2, Color c);

    /// Each Ramp replaces the control colours and rebuilds the table. The
    /// default ramp runs blue, green, red with channel values of 1.
    ///@{
    void Ramp(bool blended);
    void Ramp(Color c1, Color c2, bool blended);
    void Ramp(Color c1, Color c2, Color c3, bool blended);
    void Ramp(int n, const Color* colors, bool blended);
    void Ramp(const ColorArray& colors, bool blended);
    ///@}

    /// A new table size, rebuilt from the current control colours.
    void Resize(int size);
    /// Reverses the control colours and the table.
    void Invert();

    /// Number of control colours.
    int SizeColors() const { return static_cast<int>(m_colors.size()); }
    /// Number of table entries.
    int GetSizeMap() const { return m_sizeMap; }
    /// True for gradients, false for flat bands.
    bool IsBlended() const { return m_blended; }

private:
    void SetSize(int size);
    void UpdateScale();
    void Build();
    void BuildFlatBands();
    void BuildFewerEntries();
    void BuildGradient();

    bool m_blended = true;
    int m_sizeMap = 1;
    int m_lastIndex = 0;
    double m_begin = 0.0;
    double m_end = 0.0;
    double m_scale = 1.0;
    std::vector<Color> m_colors;
    std::vector<Color> m_map;
};

} // namespace Orvane
