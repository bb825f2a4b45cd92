#include "orvcore/color/Color.h"

#include "orvcore/core/ArchiveFields.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>

namespace Orvane {

namespace {

// The float nearest to 1/255 (bit pattern 0x3B808081); with it every byte
// survives a byte -> float -> byte round trip and 255 reads as 1.0.
constexpr float kByteScale = 0.003921568859368563f;

unsigned char Low8(int v)
{
    return static_cast<unsigned char>(static_cast<unsigned int>(v) & 0xFFu);
}

} // namespace

float Color::ByteToFloat(unsigned char b)
{
    return static_cast<float>(b) * kByteScale;
}

unsigned char Color::ScaledToByte(double v)
{
    if (std::isnan(v))
        return 0;
    // The low 8 bits of the integer part do not depend on the bits above
    // 2^32, so reduce first; this keeps huge values well defined.
    double t = std::fmod(std::trunc(v), 4294967296.0);
    if (std::isnan(t))
        return 0; // infinity
    long long i = static_cast<long long>(t);
    return static_cast<unsigned char>(static_cast<unsigned long long>(i) & 0xFFu);
}

Color::Color(int r, int g, int b) : m_rgba{Low8(r), Low8(g), Low8(b), 0} {}

Color::Color(int r, int g, int b, int a) : m_rgba{Low8(r), Low8(g), Low8(b), Low8(a)} {}

Color::Color(float r, float g, float b) : m_rgba{0, 0, 0, 0}
{
    SetRGB(r, g, b, 0.0f);
}

Color::Color(float r, float g, float b, float a) : m_rgba{0, 0, 0, 0}
{
    SetRGB(r, g, b, a);
}

Color::Color(unsigned long rgba) : m_rgba{0, 0, 0, 0}
{
    SetRGB(rgba);
}

Color& Color::operator=(unsigned long rgba)
{
    SetRGB(rgba);
    return *this;
}

void Color::GetRGB(unsigned char& r, unsigned char& g, unsigned char& b) const
{
    r = m_rgba[0];
    g = m_rgba[1];
    b = m_rgba[2];
}

void Color::GetRGB(unsigned char& r, unsigned char& g, unsigned char& b, unsigned char& a) const
{
    GetRGB(r, g, b);
    a = m_rgba[3];
}

void Color::GetRGB(int& r, int& g, int& b) const
{
    r = m_rgba[0];
    g = m_rgba[1];
    b = m_rgba[2];
}

void Color::GetRGB(int& r, int& g, int& b, int& a) const
{
    GetRGB(r, g, b);
    a = m_rgba[3];
}

void Color::GetRGB(float& r, float& g, float& b) const
{
    r = GetRFloat();
    g = GetGFloat();
    b = GetBFloat();
}

void Color::GetRGB(float& r, float& g, float& b, float& a) const
{
    GetRGB(r, g, b);
    a = GetAFloat();
}

unsigned long Color::GetRGB() const
{
    return static_cast<unsigned long>(m_rgba[0]) | (static_cast<unsigned long>(m_rgba[1]) << 8) |
           (static_cast<unsigned long>(m_rgba[2]) << 16) | (static_cast<unsigned long>(m_rgba[3]) << 24);
}

void Color::SetRGB(unsigned char r, unsigned char g, unsigned char b)
{
    m_rgba[0] = r;
    m_rgba[1] = g;
    m_rgba[2] = b;
}

void Color::SetRGB(unsigned char r, unsigned char g, unsigned char b, unsigned char a)
{
    SetRGB(r, g, b);
    m_rgba[3] = a;
}

void Color::SetRGB(int r, int g, int b)
{
    SetRGB(Low8(r), Low8(g), Low8(b));
}

void Color::SetRGB(int r, int g, int b, int a)
{
    SetRGB(Low8(r), Low8(g), Low8(b), Low8(a));
}

void Color::SetRGB(float r, float g, float b)
{
    SetRGB(FloatToByte(r), FloatToByte(g), FloatToByte(b));
}

void Color::SetRGB(float r, float g, float b, float a)
{
    SetRGB(FloatToByte(r), FloatToByte(g), FloatToByte(b), FloatToByte(a));
}

void Color::SetRGB(unsigned long rgba)
{
    for (int i = 0; i < 4; ++i)
        m_rgba[i] = static_cast<unsigned char>((rgba >> (8 * i)) & 0xFFu);
}

void Color::SetRGB(const CString& text)
{
    const std::string& s = text.str();
    if (s.empty())
        return;
    if (std::isalpha(static_cast<unsigned char>(s[0]))) {
        std::string lower(s);
        for (char& ch : lower)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        static const struct
        {
            const char* name;
            Color (*make)();
        } names[] = {{"black", &Color::Black}, {"red", &Color::Red},       {"green", &Color::Green},
                     {"yellow", &Color::Yellow}, {"blue", &Color::Blue},   {"magenta", &Color::Magenta},
                     {"cyan", &Color::Cyan},   {"white", &Color::White}, {"grey", &Color::Grey}};
        for (const auto& entry : names) {
            if (lower == entry.name) {
                *this = entry.make();
                return;
            }
        }
        return;
    }
    // Three integers of the 32-bit range; one that does not read, or that
    // overflows, leaves the colour as it was.
    std::istringstream in(s);
    int value[3];
    for (int& v : value) {
        if (!(in >> v))
            return;
    }
    for (int i = 0; i < 3; ++i)
        m_rgba[i] = static_cast<unsigned char>(value[i] < 0 ? 0 : (value[i] > 255 ? 255 : value[i]));
}

CString Color::GetRGBString() const
{
    CString text;
    text.Format("%d %d %d", static_cast<int>(m_rgba[0]), static_cast<int>(m_rgba[1]), static_cast<int>(m_rgba[2]));
    return text;
}

Color& Color::operator*=(double factor)
{
    for (int i = 0; i < 3; ++i)
        m_rgba[i] = ScaledToByte(static_cast<double>(ByteToFloat(m_rgba[i])) * factor * 255.0);
    return *this;
}

Color& Color::operator/=(double factor)
{
    if (factor == 0.0 || std::isnan(factor))
        return *this;
    for (int i = 0; i < 3; ++i)
        m_rgba[i] = ScaledToByte(static_cast<double>(ByteToFloat(m_rgba[i])) / factor * 255.0);
    return *this;
}

Color Color::operator*(double factor) const
{
    return Color(static_cast<float>(GetRFloat() * factor), static_cast<float>(GetGFloat() * factor),
                 static_cast<float>(GetBFloat() * factor));
}

Color Color::operator/(double factor) const
{
    if (factor == 0.0 || std::isnan(factor))
        return *this;
    return Color(static_cast<float>(GetRFloat() / factor), static_cast<float>(GetGFloat() / factor),
                 static_cast<float>(GetBFloat() / factor));
}

void Color::Serialize(CArchive& ar)
{
    ArchiveFields::Value(ar, *this);
}

CArchive& operator<<(CArchive& ar, const Color& c)
{
    return ar << static_cast<DWORD>(c.GetRGB());
}

CArchive& operator>>(CArchive& ar, Color& c)
{
    DWORD rgba = 0;
    ar >> rgba;
    c.SetRGB(static_cast<unsigned long>(rgba));
    return ar;
}

std::ostream& operator<<(std::ostream& os, const Color& c)
{
    const int channels[4] = {c.GetR(), c.GetG(), c.GetB(), c.GetA()};
    const std::streamsize width = os.width();
    for (int i = 0; i < 4; ++i) {
        if (width > 0)
            os.width(width);
        else if (i > 0)
            os << ' ';
        os << channels[i];
    }
    return os;
}

std::istream& operator>>(std::istream& is, Color& c)
{
    int value[4];
    for (int& v : value) {
        if (!(is >> v))
            return is;
    }
    c = Color(value[0], value[1], value[2], value[3]);
    return is;
}

} // namespace Orvane
