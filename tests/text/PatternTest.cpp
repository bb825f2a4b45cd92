#include "orvcore/OrvCore.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Orvane;

TEST(RegExpression, LeadingStarAndTrimming)
{
    RegExpression any("  *  ", true);
    EXPECT_EQ(any.GetPattern(), ".*");
    EXPECT_TRUE(any.GetFlag());
    EXPECT_TRUE(any.Match("", false));
    EXPECT_TRUE(any.Match("", true));
    EXPECT_TRUE(any.Match("CA", false));
    EXPECT_TRUE(any.Match("CA", true));

    RegExpression suffix("*A", false);
    EXPECT_EQ(suffix.GetPattern(), ".*A");
    EXPECT_FALSE(suffix.GetFlag());
    EXPECT_TRUE(suffix.Match("CA", true));
    EXPECT_FALSE(suffix.Match("AC", true));

    // Only the exact pattern .* accepts the empty text; nothing else runs on it.
    RegExpression optional("x?", false);
    EXPECT_FALSE(optional.Match("", false));
    EXPECT_EQ(optional.GetSubstringCount(), 0);
}

TEST(RegExpression, ExactAndAnywhere)
{
    RegExpression p("C.", false);
    EXPECT_TRUE(p.Match("CA", false));
    EXPECT_TRUE(p.Match("XCA", false));
    EXPECT_TRUE(p.Match("CA", true));
    EXPECT_FALSE(p.Match("CAB", true));
    EXPECT_FALSE(p.Match("XCA", true));

    RegExpression c("C", false);
    EXPECT_TRUE(c.Match("NC", false));
    EXPECT_FALSE(c.Match("nc", false)); // case-sensitive

    // Exact compares the leftmost match, not the longest.
    RegExpression alt("C|CA", false);
    EXPECT_FALSE(alt.Match("CA", true));
    EXPECT_TRUE(alt.Match("C", true));

    // A match of nothing is no match.
    RegExpression star("x*", false);
    EXPECT_FALSE(star.Match("abc", false));
}

TEST(RegExpression, Substrings)
{
    RegExpression p("(a+)(b+)", false);
    ASSERT_TRUE(p.Match("xaabbx", false));
    ASSERT_EQ(p.GetSubstringCount(), 3);
    EXPECT_EQ(p.GetSubstring(0), "aabb");
    EXPECT_EQ(p.GetSubstring(1), "aa");
    EXPECT_EQ(p.GetSubstring(2), "bb");
    EXPECT_EQ(p.GetSubstring(3), "");
    EXPECT_EQ(p.GetSubstring(-1), "");

    // The list stops before the first group that took no part.
    RegExpression q("(a)(b)?(c)", false);
    ASSERT_TRUE(q.Match("ac", false));
    EXPECT_EQ(q.GetSubstringCount(), 2);
    EXPECT_EQ(q.GetSubstring(1), "a");

    // A failed match empties the list; a later match fills it again.
    EXPECT_FALSE(p.Match("xyz", false));
    EXPECT_EQ(p.GetSubstringCount(), 0);
    EXPECT_EQ(p.GetSubstring(0), "");
    EXPECT_TRUE(p.Match("ab", true));
    EXPECT_EQ(p.GetSubstringCount(), 3);

    // Texts with bytes above 127.
    RegExpression high("\xC3(.)", false);
    ASSERT_TRUE(high.Match("caf\xC3\xA9", false));
    EXPECT_EQ(high.GetSubstring(1), "\xA9");
}

TEST(RegExpression, InvalidNeverMatches)
{
    RegExpression bad("(a", false);
    EXPECT_FALSE(bad.IsValid());
    EXPECT_FALSE(bad.Match("a", false));
    EXPECT_FALSE(bad.Match("(a", false));
    EXPECT_FALSE(bad.Match("(a", true));
    EXPECT_EQ(bad.GetSubstringCount(), 0);
    EXPECT_FALSE(bad.IsValid());
    EXPECT_FALSE(bad.IsMatchUndecided());

    // Valid before and after its first Match; a copy of an invalid one stays invalid.
    RegExpression good("[a-c]+\\d", false);
    EXPECT_TRUE(good.IsValid());
    EXPECT_TRUE(good.Match("xbad", false)); // \d is the letter d
    EXPECT_FALSE(good.Match("b1", false));
    EXPECT_TRUE(good.IsValid());
    EXPECT_FALSE(RegExpression(bad).IsValid());
    for (const char* invalid : {"x**", "(*)", "[z-a]", "x\\", "(a*)*"})
        EXPECT_FALSE(RegExpression(invalid, false).IsValid()) << invalid;
}

TEST(RegExpression, CopiesAreIndependent)
{
    RegExpression p("N(.)", true);
    ASSERT_TRUE(p.Match("CNA", false));

    RegExpression copy(p);
    EXPECT_TRUE(copy.GetFlag());
    EXPECT_EQ(copy.GetSubstringCount(), 2);
    EXPECT_EQ(copy.GetSubstring(1), "A");
    ASSERT_TRUE(copy.Match("NB", true));
    EXPECT_EQ(copy.GetSubstring(1), "B");
    EXPECT_EQ(p.GetSubstring(1), "A");

    RegExpression other("x", false);
    other = p;
    EXPECT_TRUE(other.GetFlag());
    EXPECT_EQ(other.GetPattern(), "N(.)");
    EXPECT_FALSE(other.Match("ON", false));
    EXPECT_TRUE(other.Match("NO", true));
    RegExpression& self = other;
    other = self;
    EXPECT_TRUE(other.Match("NO", true));

    std::unique_ptr<Pattern<CString>> base(p.Copy());
    EXPECT_TRUE(base->GetFlag());
    EXPECT_TRUE(base->Match("NZ", true));
    EXPECT_FALSE(base->Match("ZZ", false));
    auto* asExpression = dynamic_cast<RegExpression*>(base.get());
    ASSERT_NE(asExpression, nullptr);
    EXPECT_EQ(asExpression->GetSubstringCount(), 0);
}

TEST(RegExpression, IsRegExpression)
{
    for (const char* yes : {"a&b", "a(b", "C*", "H+", "a\\b", "C.", "^N", "[AB]", "x]", "O$", "a)"})
        EXPECT_TRUE(RegExpression::IsRegExpression(yes)) << yes;
    for (const char* no : {"a|b", "a?", "CA", "", "{1}"})
        EXPECT_FALSE(RegExpression::IsRegExpression(no)) << no;
}

TEST(RegNumber, Ranges)
{
    RegNumber r("5-10");
    EXPECT_FALSE(r.GetFlag());
    for (const char* in : {"5", "7", "10", " 8", "9x"})
        EXPECT_TRUE(r.Match(in, false)) << in;
    for (const char* out : {"4", "11", "abc", ""})
        EXPECT_FALSE(r.Match(out, false)) << out;
    for (const char* any : {"5", "7", "10"})
        EXPECT_FALSE(r.Match(any, true)) << any;

    RegNumber negative("-5--1");
    EXPECT_EQ(negative.GetLowerBound(), -5);
    EXPECT_EQ(negative.GetUpperBound(), -1);
    EXPECT_TRUE(negative.Match("-3", false));
    EXPECT_FALSE(negative.Match("0", false));

    RegNumber single("7");
    EXPECT_TRUE(single.Match("7", false));
    EXPECT_TRUE(single.Match("7", true));
    EXPECT_FALSE(single.Match("8", false));
    EXPECT_FALSE(single.Match("6", true));

    RegNumber empty("");
    EXPECT_EQ(empty.GetLowerBound(), 0);
    EXPECT_EQ(empty.GetUpperBound(), 1);
    EXPECT_TRUE(empty.Match("0", false));
    EXPECT_TRUE(empty.Match("1", false));
    EXPECT_FALSE(empty.Match("2", false));
    EXPECT_FALSE(empty.Match("0", true));
    EXPECT_FALSE(empty.Match("1", true));

    // Non-numeric text is 0; so is a pattern that is no number.
    RegNumber zeroToThree("0-3");
    EXPECT_TRUE(zeroToThree.Match("abc", false));
    RegNumber word("abc");
    EXPECT_TRUE(word.Match("0", true));

    // A reversed range accepts nothing; a trailing dash is a single value.
    RegNumber reversed("10-5");
    EXPECT_FALSE(reversed.Match("7", false));
    RegNumber dangling("5-");
    EXPECT_TRUE(dangling.Match("5", true));

    // Values beyond 32 bits stop at the ends of the range.
    RegNumber wide("-99999999999-99999999999");
    EXPECT_EQ(wide.GetLowerBound(), INT32_MIN);
    EXPECT_EQ(wide.GetUpperBound(), INT32_MAX);
    EXPECT_TRUE(wide.Match("2147483647", false));
    EXPECT_TRUE(wide.Match("4294967296", false));
}

TEST(RegNumber, CopiesAndIsRegNumber)
{
    RegNumber r("2-4");
    RegNumber copy(r);
    EXPECT_TRUE(copy.Match("3", false));
    RegNumber assigned("9");
    assigned = r;
    EXPECT_TRUE(assigned.Match("2", false));
    EXPECT_FALSE(assigned.Match("9", false));
    std::unique_ptr<Pattern<CString>> base(r.Copy());
    EXPECT_TRUE(base->Match("4", false));
    EXPECT_FALSE(base->Match("5", false));

    for (const char* yes : {"5-10", "-5-10", "+1-2", "-5--1", "1-+2"})
        EXPECT_TRUE(RegNumber::IsRegNumber(yes)) << yes;
    for (const char* no : {"7", "5-", "1 - 5", "a-b", "", "-", "-5", "--5", "1-2-3", "1-+", "+-1-2"})
        EXPECT_FALSE(RegNumber::IsRegNumber(no)) << no;
}
