#include "orvcore/text/StringUtils.h"

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <string>

namespace Orvane {

namespace {

bool IsSpace(char ch)
{
    return std::isspace(static_cast<unsigned char>(ch)) != 0;
}

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

char FoldCase(char ch)
{
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// Byte comparison that treats ASCII letters of either case as equal.
bool EqualNoCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (FoldCase(*a) != FoldCase(*b))
            return false;
    return *a == *b;
}

std::size_t SkipDigits(const char* s, std::size_t i)
{
    while (IsDigit(s[i]))
        ++i;
    return i;
}

// Length of the longest prefix of `s` that reads as a decimal real: white
// space, an optional sign, digits with an optional decimal point (at least one
// digit in all), and an exponent when it has digits. 0 when there is none.
// Only this plain decimal form is a number here: "inf", "nan" and hexadecimal
// reals are not.
std::size_t DecimalPrefix(const char* s)
{
    std::size_t i = 0;
    while (IsSpace(s[i]))
        ++i;
    if (s[i] == '+' || s[i] == '-')
        ++i;
    std::size_t start = i;
    i = SkipDigits(s, i);
    bool digits = i > start;
    if (s[i] == '.') {
        std::size_t fraction = i + 1;
        i = SkipDigits(s, fraction);
        digits = digits || i > fraction;
    }
    if (!digits)
        return 0;
    if (s[i] == 'e' || s[i] == 'E') {
        std::size_t e = i + 1;
        if (s[e] == '+' || s[e] == '-')
            ++e;
        std::size_t end = SkipDigits(s, e);
        if (end > e)
            i = end;
    }
    return i;
}

// The text before position `at` of the source, or all of it when `at` is -1;
// the source keeps what follows that position.
CString TakeField(CString& source, int at)
{
    CString field;
    if (at < 0) {
        field = source;
        source.Empty();
    } else {
        field = source.Left(at);
        source = source.Mid(at + 1);
    }
    return field;
}

// The leading number of the text, as atof reads it; 0 when there is none.
double LeadingReal(const char* text)
{
    std::size_t n = DecimalPrefix(text);
    if (n == 0)
        return 0.0;
    return std::strtod(std::string(text, n).c_str(), nullptr);
}

// The three reals of three fields, or false when any is empty or not a real.
// A point holds single precision, so a coordinate beyond the float range is
// not a real here either: it would become infinite.
bool FieldsToPoint(const CString (&fields)[3], float (&xyz)[3])
{
    for (int i = 0; i < 3; ++i)
        if (fields[i].IsEmpty() || !StringUtils::StringToReal(fields[i], xyz[i]))
            return false;
    return true;
}

template <class Delimiter>
Point3d ParsePointFields(CString& source, Delimiter delimiter)
{
    CString fields[3];
    for (CString& field : fields)
        field = StringUtils::Parse(source, delimiter);
    float xyz[3];
    if (!FieldsToPoint(fields, xyz))
        return Point3d(0.0, 0.0, 0.0);
    return Point3d(xyz[0], xyz[1], xyz[2]);
}

// Reads characters up to, not including, the first one for which `stop` is
// true. Running into the end of the stream sets only eofbit when something
// was read; with nothing read the stream fails.
template <class Stop>
std::string ReadUntil(std::istream& in, Stop stop)
{
    std::string text;
    for (;;) {
        int c = in.peek();
        if (c == std::char_traits<char>::eof())
            break;
        if (stop(static_cast<char>(c)))
            return text;
        text += static_cast<char>(in.get());
    }
    if (text.empty())
        in.setstate(std::ios::failbit);
    return text;
}

} // namespace

void StringUtils::CleanString(CString& s)
{
    s.TrimLeft();
    s.TrimRight();
    std::string clean;
    clean.reserve(static_cast<std::size_t>(s.GetLength()));
    bool lastSpace = false;
    for (char ch : s.str()) {
        bool space = IsSpace(ch);
        if (!space)
            clean += ch;
        else if (!lastSpace)
            clean += ' ';
        lastSpace = space;
    }
    s = CString(clean);
}

void StringUtils::RemoveSpaces(CString& s)
{
    std::string kept;
    kept.reserve(static_cast<std::size_t>(s.GetLength()));
    bool inDouble = false;
    bool inSingle = false;
    for (char ch : s.str()) {
        if (ch == '"')
            inDouble = !inDouble;
        else if (ch == '\'')
            inSingle = !inSingle;
        if (!IsSpace(ch) || inDouble || inSingle)
            kept += ch;
    }
    s = CString(kept);
}

CString StringUtils::Parse(CString& source)
{
    const std::string& text = source.str();
    std::size_t start = 0;
    while (start < text.size() && IsSpace(text[start]))
        ++start;
    std::size_t end = start;
    while (end < text.size() && !IsSpace(text[end]))
        ++end;
    CString token(text.substr(start, end - start));
    // Drop the token and the one white-space character that ended it.
    source = CString(end + 1 < text.size() ? text.substr(end + 1) : std::string());
    return token;
}

CString StringUtils::Parse(CString& source, const char* delimiters)
{
    source.TrimLeft();
    return TakeField(source, source.FindOneOf(delimiters ? delimiters : ""));
}

CString StringUtils::Parse(CString& source, char delimiter)
{
    source.TrimLeft();
    return TakeField(source, source.Find(delimiter));
}

CString StringUtils::ParseQuotedString(CString& source)
{
    if (source.IsEmpty())
        return CString();
    char quote = source[0];
    if (quote != '"' && quote != '\'' && quote != '`')
        return CString();
    int close = source.Find(quote, 1);
    if (close < 0) {
        CString text = source.Mid(1);
        source.Empty();
        return text;
    }
    CString text = source.Mid(1, close - 1);
    source = source.Mid(close + 1);
    return text;
}

double StringUtils::ParseRealNumber(CString& source, const char* delimiters)
{
    CString field = Parse(source, delimiters);
    return field.IsEmpty() ? 0.0 : LeadingReal(field);
}

double StringUtils::ParseRealNumber(CString& source, char delimiter)
{
    CString field = Parse(source, delimiter);
    return field.IsEmpty() ? 0.0 : LeadingReal(field);
}

Point3d StringUtils::ParsePoint(CString& source, const char* delimiters)
{
    return ParsePointFields(source, delimiters);
}

Point3d StringUtils::ParsePoint(CString& source, char delimiter)
{
    return ParsePointFields(source, delimiter);
}

CString StringUtils::ExtractString(std::istream& in)
{
    in >> std::ws;
    std::string word = ReadUntil(in, IsSpace);
    if (in.good() && !word.empty())
        in.get(); // the white space that ended the word
    return CString(word);
}

CString StringUtils::ExtractString(std::istream& in, const char* delimiters)
{
    if (!delimiters || !*delimiters)
        delimiters = " ";
    in >> std::ws;
    // strchr also finds the terminator, so a NUL byte ends the text too.
    return CString(ReadUntil(in, [delimiters](char ch) { return std::strchr(delimiters, ch) != nullptr; }));
}

CString StringUtils::ExtractString(std::istream& in, char delimiter)
{
    in >> std::ws;
    std::string line;
    std::getline(in, line, delimiter);
    return in.fail() ? CString() : CString(line);
}

CString StringUtils::ExtractLine(std::istream& in)
{
    return ExtractString(in, '\n');
}

bool StringUtils::StringToBoolean(const char* text, bool& value)
{
    static const char* const trueWords[] = {"on", "t", "true", "y", "yes"};
    static const char* const falseWords[] = {"f", "false", "n", "no", "off"};
    if (!text || !*text)
        return false;
    for (const char* word : trueWords) {
        if (EqualNoCase(text, word)) {
            value = true;
            return true;
        }
    }
    for (const char* word : falseWords) {
        if (EqualNoCase(text, word)) {
            value = false;
            return true;
        }
    }
    return false;
}

bool StringUtils::StringToInteger(const char* text, long& value)
{
    if (!text || !*text)
        return false;
    errno = 0;
    char* end = nullptr;
    long converted = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0)
        return false;
    // Integers are 32-bit values whatever the width of long.
    if (converted < INT32_MIN || converted > INT32_MAX)
        return false;
    value = converted;
    return true;
}

bool StringUtils::StringToInteger(const char* text, int& value)
{
    long converted = 0;
    if (!StringToInteger(text, converted))
        return false;
    value = static_cast<int>(converted);
    return true;
}

bool StringUtils::StringToInteger(const char* text, short& value)
{
    long converted = 0;
    if (!StringToInteger(text, converted))
        return false;
    value = static_cast<short>(static_cast<std::uint16_t>(converted & 0xFFFF));
    return true;
}

bool StringUtils::StringToReal(const char* text, double& value)
{
    if (!text || !*text)
        return false;
    std::size_t n = DecimalPrefix(text);
    if (n == 0 || text[n] != '\0')
        return false;
    errno = 0;
    double converted = std::strtod(text, nullptr);
    if (errno != 0)
        return false;
    value = converted;
    return true;
}

bool StringUtils::StringToReal(const char* text, float& value)
{
    // Half a unit in the last place above the largest float: a real from
    // there on rounds to an infinite float, one below it to a finite one
    // (3.4028235e38, the largest float written to eight digits, lies just
    // above FLT_MAX and rounds to it).
    static const double floatOverflow = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103);
    double converted = 0.0;
    if (!StringToReal(text, converted) || !(std::fabs(converted) < floatOverflow))
        return false;
    value = static_cast<float>(converted);
    return true;
}

bool StringUtils::StringToPoint(const char* text, Point3d& value)
{
    CString source(text);
    CString fields[3];
    for (CString& field : fields)
        field = Parse(source);
    float xyz[3];
    if (!FieldsToPoint(fields, xyz))
        return false;
    value = Point3d(xyz[0], xyz[1], xyz[2]);
    return true;
}

} // namespace Orvane
