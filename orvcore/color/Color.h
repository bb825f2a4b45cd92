#pragma once

/// \file
/// Color, an RGBA colour of four bytes.
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
///
/// \valuethreads
class ORVCORE_API Color
{
public:
    /// Black, opaque: every channel 0.
    Color() : m_rgba{0, 0, 0, 0} {}
    /// A colour of integer channels (each keeps its low 8 bits), of float channels
    /// (see the float view above), or of a packed word 0xAABBGGRR (its low 32 bits).
    /// Without an alpha the colour is opaque (alpha 0).
    ///@{
    Color(int r, int g, int b);
    Color(int r, int g, int b, int a);
    Color(float r, float g, float b);
    Color(float r, float g, float b, float a);
    Color(unsigned long rgba);
    ///@}
    /// Copies.
    ///@{
    Color(const Color&) = default;
    Color& operator=(const Color&) = default;
    ///@}
    /// Sets the colour from a packed word 0xAABBGGRR.
    Color& operator=(unsigned long rgba);

    /// Channel R, G, B or A as a byte.
    ///@{
    unsigned char GetR() const { return m_rgba[0]; }
    unsigned char GetG() const { return m_rgba[1]; }
    unsigned char GetB() const { return m_rgba[2]; }
    unsigned char GetA() const { return m_rgba[3]; }
    ///@}
    /// Channel R, G, B or A in the float view.
    ///@{
    float GetRFloat() const { return ByteToFloat(m_rgba[0]); }
    float GetGFloat() const { return ByteToFloat(m_rgba[1]); }
    float GetBFloat() const { return ByteToFloat(m_rgba[2]); }
    float GetAFloat() const { return ByteToFloat(m_rgba[3]); }
    ///@}

    /// Copies the channels out (with or without alpha) as bytes, ints, floats or the
    /// packed word.
    ///@{
    void GetRGB(unsigned char& r, unsigned char& g, unsigned char& b) const;
    void GetRGB(unsigned char& r, unsigned char& g, unsigned char& b, unsigned char& a) const;
    void GetRGB(int& r, int& g, int& b) const;
    void GetRGB(int& r, int& g, int& b, int& a) const;
    void GetRGB(float& r, float& g, float& b) const;
    void GetRGB(float& r, float& g, float& b, float& a) const;
    void GetRGB(unsigned long& rgba) const { rgba = GetRGB(); }
    ///@}
    /// The packed word, alpha included.
    unsigned long GetRGB() const;
    /// The packed word with the alpha bits cleared.
    operator unsigned long() const { return GetRGB() & 0x00FFFFFFul; }
    /// The four channel bytes R, G, B, A.
    operator const unsigned char*() const { return m_rgba; }

    /// Sets channel R, G, B or A from a byte or from the float view.
    ///@{
    void SetR(unsigned char v) { m_rgba[0] = v; }
    void SetG(unsigned char v) { m_rgba[1] = v; }
    void SetB(unsigned char v) { m_rgba[2] = v; }
    void SetA(unsigned char v) { m_rgba[3] = v; }
    void SetR(float v) { m_rgba[0] = FloatToByte(v); }
    void SetG(float v) { m_rgba[1] = FloatToByte(v); }
    void SetB(float v) { m_rgba[2] = FloatToByte(v); }
    void SetA(float v) { m_rgba[3] = FloatToByte(v); }
    ///@}

    /// Sets the channels from bytes, ints (low 8 bits), floats (the float view) or the
    /// packed word; without an alpha argument the alpha is kept, except that the
    /// packed word sets all four.
    ///@{
    void SetRGB(unsigned char r, unsigned char g, unsigned char b);
    void SetRGB(unsigned char r, unsigned char g, unsigned char b, unsigned char a);
    void SetRGB(int r, int g, int b);
    void SetRGB(int r, int g, int b, int a);
    void SetRGB(float r, float g, float b);
    void SetRGB(float r, float g, float b, float a);
    void SetRGB(unsigned long rgba);
    ///@}
    /// Parses a colour name ("red", any case) or three integers "r g b",
    /// each clamped to 0..255 with the alpha kept. Text that does not parse
    /// leaves the colour unchanged.
    void SetRGB(const CString& text);
    /// "r g b" in decimal; the alpha is not written.
    CString GetRGBString() const;

    /// True when all four channels are equal.
    bool operator==(const Color& other) const { return GetRGB() == other.GetRGB(); }
    /// Not operator==.
    bool operator!=(const Color& other) const { return !(*this == other); }

    /// Scaling changes R, G and B and wraps rather than clamps. The compound
    /// forms keep the alpha; the binary forms return a colour with alpha 0.
    /// Dividing by zero (or by a NaN) changes nothing.
    ///@{
    Color& operator*=(double factor);
    Color& operator*=(float factor) { return *this *= static_cast<double>(factor); }
    Color& operator/=(double factor);
    Color& operator/=(float factor) { return *this /= static_cast<double>(factor); }
    Color operator*(double factor) const;
    Color operator*(float factor) const { return *this * static_cast<double>(factor); }
    Color operator/(double factor) const;
    Color operator/(float factor) const { return *this / static_cast<double>(factor); }
    ///@}

    /// A named opaque colour: Black (0, 0, 0), Red, Green, Blue, Magenta, Cyan, White
    /// (channels 255), Grey (127, 127, 127), Yellow; Selected is Yellow, ReadOnly
    /// (230, 230, 230), Hidden (135, 135, 135).
    ///@{
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
    ///@}

    /// The packed word as one 32-bit value: bytes R, G, B, A.
    void Serialize(CArchive& ar);

    /// A byte in the float view: b times the float nearest to 1/255.
    static float ByteToFloat(unsigned char b);
    /// A float in the float view: the low 8 bits of the integer part of f * 255.
    static unsigned char FloatToByte(float f) { return ScaledToByte(static_cast<double>(f) * 255.0); }
    /// Low 8 bits of the integer part of v (0 for a value that is not a number).
    static unsigned char ScaledToByte(double v);

private:
    unsigned char m_rgba[4];
};

static_assert(sizeof(Color) == 4, "a colour is exactly four bytes");

/// Archive form: the packed word as one 32-bit value (bytes R, G, B, A). A short
/// archive raises CArchiveException(endOfFile).
///@{
ORVCORE_API CArchive& operator<<(CArchive& ar, const Color& c);
ORVCORE_API CArchive& operator>>(CArchive& ar, Color& c);
///@}

/// Text: "r g b a" in decimal, or four fields of the stream's width when one is set.
ORVCORE_API std::ostream& operator<<(std::ostream& os, const Color& c);
/// Reads four integers r g b a (each keeps its low 8 bits); on failure the colour is
/// left unchanged.
ORVCORE_API std::istream& operator>>(std::istream& is, Color& c);

} // namespace Orvane
