#include "orvcore/text/StringUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <string>

using Orvane::Point3d;
using Orvane::StringUtils;

namespace {

// Applies `parse` to `source` and checks both the token and what is left.
template <class Parse>
void ExpectParse(const char* source, Parse parse, const char* token, const char* rest)
{
    CString s(source);
    EXPECT_EQ(parse(s), token) << "source [" << source << "]";
    EXPECT_EQ(s, rest) << "source [" << source << "]";
}

void ExpectPoint(const Point3d& p, double x, double y, double z)
{
    // Coordinates are held in single precision.
    EXPECT_EQ(p.GetX(), static_cast<float>(x));
    EXPECT_EQ(p.GetY(), static_cast<float>(y));
    EXPECT_EQ(p.GetZ(), static_cast<float>(z));
}

std::string Rest(std::istream& in)
{
    in.clear();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(StringUtils, CleanStringCollapsesEveryRunOfWhiteSpace)
{
    const char* cases[][2] = {
        {"   alpha\t  beta\n", "alpha beta"},
        {"a\r\n\fb\vc", "a b c"},
        {"one", "one"},
        {" \t\n ", ""},
        {"", ""},
        {"\xE9 \xA0  x", "\xE9 \xA0 x"}, // bytes above 127 are not white space
    };
    for (auto& c : cases) {
        CString s(c[0]);
        StringUtils::CleanString(s);
        EXPECT_EQ(s, c[1]) << "[" << c[0] << "]";
    }
}

TEST(StringUtils, RemoveSpacesKeepsWhiteSpaceInsideEitherQuote)
{
    const char* cases[][2] = {
        {"a 'b c' d", "a'b c'd"},
        {" x \"y z\" w ", "x\"y z\"w"},
        // The apostrophe inside double quotes opens a single quote of its own,
        // which is still open after the double quote closes.
        {"\"it's a\" b c", "\"it's a\" b c"},
        {"no\tquotes \n here", "noquoteshere"},
        {"'open to the end", "'open to the end"},
    };
    for (auto& c : cases) {
        CString s(c[0]);
        StringUtils::RemoveSpaces(s);
        EXPECT_EQ(s, c[1]) << "[" << c[0] << "]";
    }
}

TEST(StringUtils, ParseByWhiteSpaceConsumesOneSeparator)
{
    auto parse = [](CString& s) { return StringUtils::Parse(s); };
    ExpectParse("word", parse, "word", "");
    ExpectParse("   ", parse, "", "");
    ExpectParse("", parse, "", "");
    ExpectParse("one\t", parse, "one", "");
    ExpectParse("  one   two", parse, "one", "  two");
    ExpectParse("one\ntwo three", parse, "one", "two three");

    CString s("  C5'  O1P\tHG21 ");
    EXPECT_EQ(StringUtils::Parse(s), "C5'");
    EXPECT_EQ(StringUtils::Parse(s), "O1P");
    EXPECT_EQ(StringUtils::Parse(s), "HG21");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringUtils, ParseByDelimitersKeepsEmptyFieldsAndTrailingBlanks)
{
    auto comma = [](CString& s) { return StringUtils::Parse(s, ','); };
    ExpectParse(",x", comma, "", "x");
    ExpectParse("  a b ,c", comma, "a b ", "c");
    ExpectParse("abc", comma, "abc", "");
    ExpectParse("a,", comma, "a", "");
    ExpectParse("   ", comma, "", "");
    ExpectParse(" \t,  y", comma, "", "  y");

    auto set = [](CString& s) { return StringUtils::Parse(s, ";,"); };
    ExpectParse("1;2,3", set, "1", "2,3");
    ExpectParse("2,3", set, "2", "3");
    ExpectParse(" 3 ", set, "3 ", "");

    auto none = [](CString& s) { return StringUtils::Parse(s, static_cast<const char*>(nullptr)); };
    ExpectParse("  a,b c", none, "a,b c", "");
    auto empty = [](CString& s) { return StringUtils::Parse(s, ""); };
    ExpectParse(" a;b", empty, "a;b", "");
}

TEST(StringUtils, ParseQuotedStringNeedsAQuoteFirst)
{
    auto parse = [](CString& s) { return StringUtils::ParseQuotedString(s); };
    ExpectParse(" 'a'", parse, "", " 'a'");
    ExpectParse("x'a'", parse, "", "x'a'");
    ExpectParse("", parse, "", "");
    ExpectParse("'", parse, "", "");
    ExpectParse("'a'", parse, "a", "");
    ExpectParse("'a b'rest", parse, "a b", "rest");
    ExpectParse("\"say 'hi' `x`\" tail", parse, "say 'hi' `x`", " tail");
    ExpectParse("`unclosed 'text", parse, "unclosed 'text", "");
    ExpectParse("''after", parse, "", "after");
}

TEST(StringUtils, ParseRealNumberIsLenient)
{
    CString s("  2.5abc, 7 ,, x ,-.5e1,1e,0x10, 1e999");
    EXPECT_DOUBLE_EQ(StringUtils::ParseRealNumber(s, ','), 2.5);
    EXPECT_EQ(s, " 7 ,, x ,-.5e1,1e,0x10, 1e999");
    EXPECT_DOUBLE_EQ(StringUtils::ParseRealNumber(s, ','), 7.0);
    EXPECT_DOUBLE_EQ(StringUtils::ParseRealNumber(s, ','), 0.0); // empty field
    EXPECT_DOUBLE_EQ(StringUtils::ParseRealNumber(s, ','), 0.0); // not a number
    EXPECT_DOUBLE_EQ(StringUtils::ParseRealNumber(s, ","), -5.0);
    EXPECT_DOUBLE_EQ(StringUtils::ParseRealNumber(s, ","), 1.0); // exponent without digits
    EXPECT_DOUBLE_EQ(StringUtils::ParseRealNumber(s, ","), 0.0); // hexadecimal is not read
    EXPECT_TRUE(std::isinf(StringUtils::ParseRealNumber(s, ",")));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_DOUBLE_EQ(StringUtils::ParseRealNumber(s, ','), 0.0);
}

TEST(StringUtils, ParsePointIsStrictAndConsumesThreeFields)
{
    CString s("1.5, -2,3e1,4");
    ExpectPoint(StringUtils::ParsePoint(s, ','), 1.5, -2.0, 30.0);
    EXPECT_EQ(s, "4");

    // Blanks before a delimiter stay in the field, which is then not a real.
    s = "1.5, -2 ,3e1";
    ExpectPoint(StringUtils::ParsePoint(s, ','), 0.0, 0.0, 0.0);
    EXPECT_TRUE(s.IsEmpty());

    s = "1, x, 3, 4";
    ExpectPoint(StringUtils::ParsePoint(s, ','), 0.0, 0.0, 0.0);
    EXPECT_EQ(s, " 4");

    s = "1,,3";
    ExpectPoint(StringUtils::ParsePoint(s, ','), 0.0, 0.0, 0.0);
    EXPECT_TRUE(s.IsEmpty());

    s = "1 2;3";
    ExpectPoint(StringUtils::ParsePoint(s, " ;"), 1.0, 2.0, 3.0);

    // A point holds floats: a coordinate beyond their range is refused.
    s = "1,4e99,3";
    ExpectPoint(StringUtils::ParsePoint(s, ','), 0.0, 0.0, 0.0);

    s = "1,2";
    ExpectPoint(StringUtils::ParsePoint(s, ','), 0.0, 0.0, 0.0);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(StringUtils, BooleanWordsInAnyCaseAndNothingElse)
{
    struct { const char* text; bool value; } accepted[] = {
        {"YES", true}, {"Off", false}, {"T", true}, {"t", true}, {"on", true}, {"tRuE", true},
        {"y", true}, {"F", false}, {"false", false}, {"n", false}, {"No", false},
    };
    for (auto& a : accepted) {
        bool value = !a.value;
        EXPECT_TRUE(StringUtils::StringToBoolean(a.text, value)) << a.text;
        EXPECT_EQ(value, a.value) << a.text;
    }
    for (const char* text : {"1", "0", "", "yes ", " yes", "ye", "yess", "o", "nope", "\xD9\xC5\xD3"}) {
        bool value = true;
        EXPECT_FALSE(StringUtils::StringToBoolean(text, value)) << text;
        EXPECT_TRUE(value);
    }
    bool value = false;
    EXPECT_FALSE(StringUtils::StringToBoolean(nullptr, value));
    EXPECT_FALSE(value);
}

TEST(StringUtils, IntegersAreStrictAndThirtyTwoBit)
{
    struct { const char* text; long value; } accepted[] = {
        {" 42", 42}, {"+7", 7}, {"-0", 0}, {"2147483647", 2147483647L}, {"-2147483648", -2147483647L - 1},
        {"007", 7},
    };
    for (auto& a : accepted) {
        long l = 99;
        int i = 99;
        EXPECT_TRUE(StringUtils::StringToInteger(a.text, l)) << a.text;
        EXPECT_TRUE(StringUtils::StringToInteger(a.text, i)) << a.text;
        EXPECT_EQ(l, a.value);
        EXPECT_EQ(i, a.value);
    }
    for (const char* text : {"12 ", "-", "+", "", " ", "99999999999", "2147483648", "-2147483649", "12abc",
                             "0x10", "1.0", "9223372036854775808"}) {
        long l = 99;
        int i = 99;
        short s = 99;
        EXPECT_FALSE(StringUtils::StringToInteger(text, l)) << text;
        EXPECT_FALSE(StringUtils::StringToInteger(text, i)) << text;
        EXPECT_FALSE(StringUtils::StringToInteger(text, s)) << text;
        EXPECT_EQ(l, 99);
        EXPECT_EQ(i, 99);
        EXPECT_EQ(s, 99);
    }
    long l = 5;
    EXPECT_FALSE(StringUtils::StringToInteger(nullptr, l));
    EXPECT_EQ(l, 5);

    // The short form has no 16-bit range check: it keeps the low 16 bits.
    struct { const char* text; short value; } shorts[] = {
        {"70000", 4464}, {"-1", -1}, {"65535", -1}, {"32768", -32768}, {"-70000", -4464}, {"123", 123},
    };
    for (auto& c : shorts) {
        short s = 0;
        EXPECT_TRUE(StringUtils::StringToInteger(c.text, s)) << c.text;
        EXPECT_EQ(s, c.value) << c.text;
    }
}

TEST(StringUtils, RealsAreStrictDecimalNumbers)
{
    struct { const char* text; double value; } accepted[] = {
        {"-2.5e3", -2500.0}, {" 0.25", 0.25}, {"5.", 5.0}, {".5", 0.5}, {"+1E+2", 100.0}, {"0", 0.0},
        {"1e-300", 1e-300},
    };
    for (auto& a : accepted) {
        double d = 99.0;
        EXPECT_TRUE(StringUtils::StringToReal(a.text, d)) << a.text;
        EXPECT_EQ(d, a.value) << a.text;
    }
    for (const char* text : {"1e999", "-1e999", "1e-400", "1.5x", "1e5 ", "", ".", "-", "e5", "inf", "nan",
                             "infinity", "0x1p3", "1,5"}) {
        double d = 99.0;
        float f = 99.0f;
        EXPECT_FALSE(StringUtils::StringToReal(text, d)) << text;
        EXPECT_FALSE(StringUtils::StringToReal(text, f)) << text;
        EXPECT_EQ(d, 99.0);
        EXPECT_EQ(f, 99.0f);
    }

    float f = 0.0f;
    EXPECT_TRUE(StringUtils::StringToReal("0.1", f));
    EXPECT_EQ(f, 0.1f);
    EXPECT_TRUE(StringUtils::StringToReal("-3.4e38", f));
    EXPECT_EQ(f, -3.4e38f);
    // Beyond the float range the value would become infinite: refused.
    EXPECT_FALSE(StringUtils::StringToReal("1e300", f));
    EXPECT_EQ(f, -3.4e38f);

    // The largest float, (2^24 - 1) * 2^104, written to eight digits lies a
    // little above it and rounds to it; from half a unit in the last place
    // above it (about 3.40282357e38) a real rounds to infinity.
    const float largest = std::ldexp(16777215.0f, 104);
    EXPECT_TRUE(StringUtils::StringToReal("3.4028235e38", f));
    EXPECT_EQ(f, largest);
    EXPECT_TRUE(StringUtils::StringToReal("-3.40282356e38", f));
    EXPECT_EQ(f, -largest);
    for (const char* text : {"3.4028236e38", "-3.40282357e38"}) {
        f = 1.0f;
        EXPECT_FALSE(StringUtils::StringToReal(text, f)) << text;
        EXPECT_EQ(f, 1.0f);
    }
}

TEST(StringUtils, StringToPointTakesThreeWhiteSpaceSeparatedReals)
{
    Point3d p(7.0, 8.0, 9.0);
    EXPECT_TRUE(StringUtils::StringToPoint(" 1\t-2.5\n3e2 extra", p));
    ExpectPoint(p, 1.0, -2.5, 300.0);
    EXPECT_TRUE(StringUtils::StringToPoint("4  5 6", p));
    ExpectPoint(p, 4.0, 5.0, 6.0);
    for (const char* text : {"1 2", "1 two 3", "1,2,3", "", "1 2 3x", "1 4e99 3"}) {
        EXPECT_FALSE(StringUtils::StringToPoint(text, p)) << text;
        ExpectPoint(p, 4.0, 5.0, 6.0);
    }
    EXPECT_FALSE(StringUtils::StringToPoint(nullptr, p));

    // The largest point written to eight digits reads back as itself.
    std::ostringstream largest;
    largest << std::setprecision(8) << Point3d::maximum;
    EXPECT_EQ(largest.str(), "3.4028235e+38 3.4028235e+38 3.4028235e+38");
    EXPECT_TRUE(StringUtils::StringToPoint(largest.str().c_str(), p));
    EXPECT_EQ(p, Point3d::maximum);
    CString fields("-3.4028235e38,0,3.4028235e38");
    EXPECT_EQ(StringUtils::ParsePoint(fields, ','), Point3d(-Point3d::maximum[0], 0.0f, Point3d::maximum[2]));
}

TEST(StringUtils, ExtractWordConsumesTheWhiteSpaceAfterIt)
{
    std::istringstream in("two words\n");
    EXPECT_EQ(StringUtils::ExtractString(in), "two");
    EXPECT_EQ(in.peek(), 'w');
    EXPECT_EQ(StringUtils::ExtractString(in), "words");
    EXPECT_TRUE(in.good());
    EXPECT_EQ(in.peek(), EOF); // the line feed was consumed
    EXPECT_EQ(StringUtils::ExtractString(in), "");
    EXPECT_TRUE(in.fail());

    // A word ended by the end of the stream is returned and the stream has not
    // failed; the next call finds nothing and fails.
    std::istringstream last("\n  alpha  beta");
    EXPECT_EQ(StringUtils::ExtractString(last), "alpha");
    EXPECT_EQ(StringUtils::ExtractString(last), "beta");
    EXPECT_TRUE(last.eof());
    EXPECT_FALSE(last.fail());
    EXPECT_EQ(StringUtils::ExtractString(last), "");
    EXPECT_TRUE(last.fail());

    // Words are not limited in length.
    std::string big(20000, 'x');
    std::istringstream longWord(big + " y");
    EXPECT_EQ(StringUtils::ExtractString(longWord).str(), big);
    EXPECT_EQ(StringUtils::ExtractString(longWord), "y");
}

TEST(StringUtils, ExtractUpToDelimitersLeavesTheDelimiter)
{
    std::istringstream in("  a b,c");
    EXPECT_EQ(StringUtils::ExtractString(in, ","), "a b");
    EXPECT_EQ(Rest(in), ",c");

    // Without delimiters a space ends the text.
    std::istringstream spaces("\n ab cd");
    EXPECT_EQ(StringUtils::ExtractString(spaces, static_cast<const char*>(nullptr)), "ab");
    EXPECT_EQ(Rest(spaces), " cd");

    // A NUL byte always ends the text.
    std::istringstream nul(std::string("ab\0cd,", 6));
    EXPECT_EQ(StringUtils::ExtractString(nul, ","), "ab");
    EXPECT_EQ(nul.peek(), 0);

    // The delimiter first: an empty text, the stream still good.
    std::istringstream first(" ;x");
    EXPECT_EQ(StringUtils::ExtractString(first, ";"), "");
    EXPECT_TRUE(first.good());
    EXPECT_EQ(first.peek(), ';');

    // Text ended by the end of the stream is returned.
    std::istringstream tail("  x y z");
    EXPECT_EQ(StringUtils::ExtractString(tail, ","), "x y z");
    EXPECT_FALSE(tail.fail());
    EXPECT_EQ(StringUtils::ExtractString(tail, ","), "");
    EXPECT_TRUE(tail.fail());
}

TEST(StringUtils, ExtractUpToDelimiterCharacterConsumesIt)
{
    std::istringstream in("  a b,c");
    EXPECT_EQ(StringUtils::ExtractString(in, ','), "a b");
    EXPECT_EQ(Rest(in), "c");

    std::istringstream empty(" ,x");
    EXPECT_EQ(StringUtils::ExtractString(empty, ','), "");
    EXPECT_FALSE(empty.fail());
    EXPECT_EQ(StringUtils::ExtractString(empty, ','), "x");

    // Lines: blank lines are skipped, a carriage return stays, the last line
    // needs no line feed, and a long line comes whole.
    std::string longLine(10000, 'L');
    std::istringstream lines("\n\n  line one\r\nline two\n" + longLine + "\nlast");
    EXPECT_EQ(StringUtils::ExtractLine(lines), "line one\r");
    EXPECT_EQ(StringUtils::ExtractLine(lines), "line two");
    EXPECT_EQ(StringUtils::ExtractLine(lines).str(), longLine);
    EXPECT_EQ(StringUtils::ExtractLine(lines), "last");
    EXPECT_FALSE(lines.fail());
    EXPECT_EQ(StringUtils::ExtractLine(lines), "");
    EXPECT_TRUE(lines.fail());
}
