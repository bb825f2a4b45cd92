#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/CArchive.h"
#include "orvcore/core/CString.h"

#include <iosfwd>

namespace Orvane {

/// An RGBA colour of four 8-bit channels, laid out R, G, B, A. An alpha of 0
/// is opaque, any other value transparent. The packed word reads 0xAABBGGRR;
/// it is a 32-bit value even where `unsigned long` is wider.
///
/// Float view of a channel: byte b reads as b times the float nearest to
/// 1/255; a float f is written as the integer part of f * 255, of which the
/// channel keeps the low 8 bits (no clamping, so out-of-range values wrap).
class ORVCORE_API Color
{
public:
    Color() : m_rgba{0, 0, 0, 0} {}
    Color(int r, int g, int b);
    Color(int r, int g, int b, int a);
    Color(float r, float g, float b);
    Color(float r, float g, float b, float a);
    Color(unsigned long rgba);
    Color(const Color&) = default;
    Color& operator=(const Color&) = default;
    Color& operator=(unsigned long rgba);

    unsigned char GetR() const { return m_rgba[0]; }
    unsigned char GetG() const { return m_rgba[1]; }
    unsigned char GetB() const { return m_rgba[2]; }
    unsigned char GetA() const { return m_rgba[3]; }
    float GetRFloat() const { return ByteToFloat(m_rgba[0]); }
    float GetGFloat() const { return ByteToFloat(m_rgba[1]); }
    float GetBFloat() const { return ByteToFloat(m_rgba[2]); }
    float GetAFloat() const { return ByteToFloat(m_rgba[3]); }

    void GetRGB(unsigned char& r, unsigned char& g, unsigned char& b) const;
    void GetRGB(unsigned char& r, unsigned char& g, unsigned char& b, unsigned char& a) const;
    void GetRGB(int& r, int& g, int& b) const;
    void GetRGB(int& r, int& g, int& b, int& a) const;
    void GetRGB(float& r, float& g, float& b) const;
    void GetRGB(float& r, float& g, float& b, float& a) const;
    void GetRGB(unsigned long& rgba) const { rgba = GetRGB(); }
    /// The packed word, alpha included.
    unsigned long GetRGB() const;
    /// The packed word with the alpha bits cleared.
    operator unsigned long() const { return GetRGB() & 0x00FFFFFFul; }
    operator const unsigned char*() const { return m_rgba; }

    void SetR(unsigned char v) { m_rgba[0] = v; }
    void SetG(unsigned char v) { m_rgba[1] = v; }
    void SetB(unsigned char v) { m_rgba[2] = v; }
    void SetA(unsigned char v) { m_rgba[3] = v; }
    void SetR(float v) { m_rgba[0] = FloatToByte(v); }
    void SetG(float v) { m_rgba[1] = FloatToByte(v); }
    void SetB(float v) { m_rgba[2] = FloatToByte(v); }
    void SetA(float v) { m_rgba[3] = FloatToByte(v); }

    void SetRGB(unsigned char r, unsigned char g, unsigned char b);
    void SetRGB(unsigned char r, unsigned char g, unsigned char b, unsigned char a);
    void SetRGB(int r, int g, int b);
    void SetRGB(int r, int g, int b, int a);
    void SetRGB(float r, float g, float b);
    void SetRGB(float r, float g, float b, float a);
    void SetRGB(unsigned long rgba);
    /// Parses a colour name ("red", any case) or three integers "r g b",
    /// each clamped to 0..255 with the alpha kept. Text that does not parse
    /// leaves the colour unchanged.
    void SetRGB(const CString& text);
    /// "r g b" in decimal; the alpha is not written.
    CString GetRGBString() const;

    bool operator==(const Color& other) const { return GetRGB() == other.GetRGB(); }
    bool operator!=(const Color& other) const { return !(*this == other); }

    /// Scaling changes R, G and B and wraps rather than clamps. The compound
    /// forms keep the alpha; the binary forms return a colour with alpha 0.
    /// Dividing by zero (or by a NaN) changes nothing.
    Color& operator*=(double factor);
    Color& operator*=(float factor) { return *this *= static_cast<double>(factor); }
    Color& operator/=(double factor);
    Color& operator/=(float factor) { return *this /= static_cast<double>(factor); }
    Color operator*(double factor) const;
    Color operator*(float factor) const { return *this * static_cast<double>(factor); }
    Color operator/(double factor) const;
    Color operator/(float factor) const { return *this / static_cast<double>(factor); }

    static Color Black() { return Color(0, 0, 0); }
    static Color Red() { return Color(255, 0, 0); }
    static Color Green() { return Color(0, 255, 0); }
    static Color Blue() { return Color(0, 0, 255); }
    static Color Magenta() { return Color(255, 0, 255); }
    static Color Cyan() { return Color(0, 255, 255); }
    static Color White() { return Color(255, 255, 255); }
    static Color Grey() { return Color(127, 127, 127); }
    static Color Yellow() { return Color(255, 255, 0); }
    static Color Selected() { return Yellow(); }
    static Color ReadOnly() { return Color(230, 230, 230); }
    static Color Hidden() { return Color(135, 135, 135); }

    /// The packed word as one 32-bit value: bytes R, G, B, A.
    void Serialize(CArchive& ar);

    static float ByteToFloat(unsigned char b);
    static unsigned char FloatToByte(float f) { return ScaledToByte(static_cast<double>(f) * 255.0); }
    /// Low 8 bits of the integer part of v (0 for a value that is not a number).
    static unsigned char ScaledToByte(double v);

private:
    unsigned char m_rgba[4];
};

static_assert(sizeof(Color) == 4, "a colour is exactly four bytes");

ORVCORE_API CArchive& operator<<(CArchive& ar, const Color& c);
ORVCORE_API CArchive& operator>>(CArchive& ar, Color& c);

ORVCORE_API std::ostream& operator<<(std::ostream& os, const Color& c);
ORVCORE_API std::istream& operator>>(std::istream& is, Color& c);

} // namespace Orvane
