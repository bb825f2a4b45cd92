// Feeds arbitrary bytes to every StringUtils parser and checks what each
// promises about its result: tokens free of their separators, sources that
// only shrink, conversions that accept only what they can represent.

#include "orvcore/text/StringUtils.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

using Orvane::Point3d;
using Orvane::StringUtils;

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool IsSpace(char ch)
{
    return std::isspace(static_cast<unsigned char>(ch)) != 0;
}

bool HasSpace(const CString& s)
{
    for (char ch : s.str())
        if (IsSpace(ch))
            return true;
    return false;
}

void CheckCleaning(const CString& text)
{
    CString clean(text);
    StringUtils::CleanString(clean);
    const std::string& c = clean.str();
    Check(c.size() <= text.str().size());
    Check(c.empty() || (!IsSpace(c.front()) && !IsSpace(c.back())));
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (IsSpace(c[i])) {
            Check(c[i] == ' ');
            Check(i + 1 < c.size() && !IsSpace(c[i + 1]));
        }
    }

    CString noSpaces(text);
    StringUtils::RemoveSpaces(noSpaces);
    Check(noSpaces.GetLength() <= text.GetLength());
    CString twice(noSpaces);
    StringUtils::RemoveSpaces(twice);
    Check(twice == noSpaces);
}

// Every parse consumes something until the source is empty, so the loops end.
template <class Parse>
void ParseAll(const CString& text, Parse parse)
{
    CString source(text);
    while (!source.IsEmpty()) {
        int before = source.GetLength();
        parse(source);
        Check(source.GetLength() < before);
    }
}

void CheckParsing(const CString& text, const char* delimiters)
{
    ParseAll(text, [](CString& s) { Check(!HasSpace(StringUtils::Parse(s))); });
    ParseAll(text, [delimiters](CString& s) {
        CString field = StringUtils::Parse(s, delimiters);
        Check(field.FindOneOf(delimiters) < 0);
    });
    char delimiter = delimiters[0];
    ParseAll(text, [delimiter](CString& s) { Check(StringUtils::Parse(s, delimiter).Find(delimiter) < 0); });
    ParseAll(text, [delimiters](CString& s) { StringUtils::ParseRealNumber(s, delimiters); });
    ParseAll(text, [delimiter](CString& s) {
        Point3d p = StringUtils::ParsePoint(s, delimiter);
        Check(!std::isnan(p.GetX()) && !std::isnan(p.GetY()) && !std::isnan(p.GetZ()));
    });

    CString quoted(text);
    for (;;) {
        int before = quoted.GetLength();
        CString inner = StringUtils::ParseQuotedString(quoted);
        if (quoted.GetLength() == before) {
            Check(inner.IsEmpty());
            break;
        }
        Check(inner.GetLength() < before);
    }
}

void CheckConversions(const char* text)
{
    bool b = false;
    StringUtils::StringToBoolean(text, b);

    long l = 0;
    if (StringUtils::StringToInteger(text, l)) {
        Check(l >= INT32_MIN && l <= INT32_MAX);
        errno = 0;
        char* end = nullptr;
        Check(std::strtol(text, &end, 10) == l && *end == '\0');
    }
    int i = 0;
    short s = 0;
    bool asLong = StringUtils::StringToInteger(text, l);
    Check(StringUtils::StringToInteger(text, i) == asLong);
    Check(StringUtils::StringToInteger(text, s) == asLong);

    double d = 0.0;
    if (StringUtils::StringToReal(text, d))
        Check(std::isfinite(d));
    float f = 0.0f;
    if (StringUtils::StringToReal(text, f))
        Check(std::isfinite(f));
    Point3d p;
    if (StringUtils::StringToPoint(text, p))
        Check(std::isfinite(p.GetX()) && std::isfinite(p.GetY()) && std::isfinite(p.GetZ()));
}

void CheckStreams(const std::string& bytes, const char* delimiters)
{
    {
        std::istringstream in(bytes);
        for (int n = 0; n <= static_cast<int>(bytes.size()) && in; ++n)
            Check(!HasSpace(StringUtils::ExtractString(in)));
    }
    {
        std::istringstream in(bytes);
        for (int n = 0; n <= static_cast<int>(bytes.size()) && in; ++n) {
            CString text = StringUtils::ExtractString(in, delimiters);
            Check(text.FindOneOf(delimiters) < 0);
            in.get(); // the delimiter that was left
        }
    }
    {
        std::istringstream in(bytes);
        for (int n = 0; n <= static_cast<int>(bytes.size()) && in; ++n)
            Check(StringUtils::ExtractLine(in).Find('\n') < 0);
    }
}

} // namespace

// The first bytes up to the first NUL (at most 4) are the delimiter set; the
// rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* chars = reinterpret_cast<const char*>(data);
    std::size_t split = 0;
    while (split < size && split < 4 && chars[split] != '\0')
        ++split;
    std::string delimiters(chars, split);
    if (delimiters.empty())
        delimiters = ",";
    std::size_t start = split < size && chars[split] == '\0' ? split + 1 : split;
    std::string bytes(chars + start, size - start);

    CString text(bytes);
    CheckCleaning(text);
    CheckParsing(text, delimiters.c_str());
    CheckConversions(bytes.c_str());
    CheckStreams(bytes, delimiters.c_str());
    return 0;
}
