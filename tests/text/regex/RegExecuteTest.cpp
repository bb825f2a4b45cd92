#include "orvcore/text/RegExpression.h"
#include "orvcore/text/regex/RegProgram.h"
#include "tests/text/regex/ProgramPtr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

// Span n as text, or "<unset>".
std::string Span(RegProgram* p, int n)
{
    if (p->startp[n] == nullptr || p->endp[n] == nullptr)
        return "<unset>";
    return std::string(p->startp[n], p->endp[n]);
}

const char* const U = "<unset>";

struct MatchCase
{
    const char* pattern;
    std::string text;
    bool matches;
    std::vector<std::string> spans; // whole match, then groups; later spans unset
};

// Expected results worked out from the grammar: leftmost match, first
// alternative first, greedy repetitions, last repetition of a group recorded.
const std::vector<MatchCase> kCases = {
    // alternation by '|' and by a line feed, tried left to right
    {"a|b", "b", true, {"b"}},
    {"a\nb", "b", true, {"b"}},
    {"abc|xyz", "--xyz--", true, {"xyz"}},
    {"a|ab", "ab", true, {"a"}},
    {"ab|a", "ab", true, {"ab"}},
    {"x|", "abc", true, {""}},
    {"(a\nb)c", "bc", true, {"bc", "b"}},
    // groups: numbering by opening parenthesis, last repetition recorded
    {"((a)(b))", "ab", true, {"ab", "ab", "a", "b"}},
    {"([a-z])+!", "abc!", true, {"abc!", "c"}},
    {"(ab)*c", "xababc", true, {"ababc", "ab"}},
    {"(a|ab)*c", "abc", true, {"abc", "ab"}},
    {"(a|bc)+d", "abcad", true, {"abcad", "a"}},
    {"(a)(b)?(c)", "ac", true, {"ac", "a", U, "c"}},
    {"(x)?y", "y", true, {"y", U}},
    {"(a*)?b", "aab", true, {"aab", "aa"}},
    {"(a|ab)(c|bcd)(d*)", "abcd", true, {"abcd", "a", "bcd", ""}},
    {"(.*)-(.*)", "a-b-c", true, {"a-b-c", "a-b", "c"}},
    {"(abc)*", "xyz", true, {"", U}},
    // quantifiers on simple atoms; a literal run gives up only its last character
    {"abc*", "ab", true, {"ab"}},
    {"abc*", "abccc", true, {"abccc"}},
    {"abc*", "abcabc", true, {"abc"}},
    {"ab+", "abbb", true, {"abbb"}},
    {"ab+", "a", false, {}},
    {"ab?c", "ac", true, {"ac"}},
    {"ab?c", "abc", true, {"abc"}},
    {"ab?c", "abbc", false, {}},
    {"a*ab", "aaab", true, {"aaab"}},
    {"x.*y", "axbyy", true, {"xbyy"}},
    {"a.c", "a\nc", true, {"a\nc"}},
    {".+", "abc", true, {"abc"}},
    {"a\\.*", "a...b", true, {"a..."}},
    {"a\\.*", "ab", true, {"a"}},
    {"[0-9]+x", "12a345x", true, {"345x"}},
    // brackets: leading ']' or '-', trailing '-', ranges, no escapes inside
    {"[]a]+", "x]a]", true, {"]a]"}},
    {"[a-]+", "b-a-", true, {"-a-"}},
    {"[-a]", "x-", true, {"-"}},
    {"[^\\]+", "ab\\c", true, {"ab"}},
    {"[a-c]+", "xabcd", true, {"abc"}},
    {"[^a-c]+", "abxyc", true, {"xy"}},
    {"[]-a]+", "x^_`a]b", true, {"^_`a]"}},
    {"[a-a]", "a", true, {"a"}},
    {"[^]]", "]", false, {}},
    {"[.]", "a.", true, {"."}},
    // escapes: the character itself, no special letters
    {"\\.", "a.b", true, {"."}},
    {"\\.", "ab", false, {}},
    {"\\n", "no", true, {"n"}},
    {"a\\*b", "a*b", true, {"a*b"}},
    {"\\\\", "a\\b", true, {"\\"}},
    {"\\(x\\)", "(x)", true, {"(x)"}},
    // characters without a meaning outside brackets
    {"a{2}", "a{2}", true, {"a{2}"}},
    {"a&]b", "a&]b", true, {"a&]b"}},
    // word boundaries
    {"\\<ab\\>", "x ab y", true, {"ab"}},
    {"\\<ab\\>", "xab", false, {}},
    {"\\<ab", "ab", true, {"ab"}},
    {"ab\\>", "abc", false, {}},
    {"ab\\>", "ab.", true, {"ab"}},
    {"\\<x", "_x", false, {}},
    {"\\<x", "-x", true, {"x"}},
    {"\\<1", "a1 1", true, {"1"}},
    // ^ and $ mean the ends of the text wherever they stand
    {"^ab", "ab", true, {"ab"}},
    {"^ab", "cab", false, {}},
    {"a^b", "a^b", false, {}},
    {"a^b", "ab", false, {}},
    {"ab$", "abab", true, {"ab"}},
    {"ab$", "aba", false, {}},
    {"a$b", "a$b", false, {}},
    {"a\n^b", "cb", false, {}},
    {"x|^b", "bb", true, {"b"}},
    {"^$", "", true, {""}},
    {"(^a|b)+", "aab", true, {"a", "a"}},
    // bytes above 127, in patterns and texts
    {"\xE9+", "caf\xE9\xE9", true, {"\xE9\xE9"}},
    {"[\x80-\xFF]+", "ab\xC3\xA9z", true, {"\xC3\xA9"}},
    {"[\xC0-\xFF]+", "ab\xC3\xA9z", true, {"\xC3"}},
    {"[a-\xFF]", "\xF0", true, {"\xF0"}},
    {"[^a]+", "a\x80\xFF", true, {"\x80\xFF"}},
    {"\\<ab", "\xE9" "ab", true, {"ab"}},
    {"ab\\>", "ab\xE9", true, {"ab"}},
    {".\xA0", "\xFF\xA0", true, {"\xFF\xA0"}},
    // anchored programs: the leading literal is compared before the try
    {"^ab(c|d)", "abd", true, {"abd", "d"}},
    {"^abc", "ab", false, {}},
    {"^ab*", "abbbc", true, {"abbb"}},
    {"^(a)b", "ab", true, {"ab", "a"}},
    // alternatives whose literal the text does not continue with
    {"x(abc|abd|ab)", "xabd", true, {"xabd", "abd"}},
    {"x(abc|abd|ab)", "xabe", true, {"xab", "ab"}},
    {"(ab|a)", "a", true, {"a", "a"}},
    {"(ab|ac)d", "acabd", true, {"abd", "ab"}},
    // repetitions that end the program keep their greedy count
    {"c|a*", "baa", true, {""}},
    {"x[0-9]*", "ax12b", true, {"x12"}},
    {"a+", "bbb", false, {}},
    // $ after a single-character repetition
    {"a+$", "aab a", true, {"a"}},
    {"[^x]*$", "axbc", true, {"bc"}},
    {"(a*$)", "ba", true, {"a", "a"}},
    {"a*$|b", "ab", true, {"b"}},
    // groups closing at the end of the program
    {"x(a|ab)", "xab", true, {"xa", "a"}},
    {"(a+)", "baa", true, {"aa", "aa"}},
    {"(a*)", "b", true, {"", ""}},
    {"((a)|b)", "b", true, {"b", "b", U}},
    // texts scanned for the characters a match can begin with
    {"a?c", "xbc", true, {"c"}},
    {"(\\<ab|x)", "cab ab", true, {"ab", "ab"}},
    {"(a|b|c|d|e|f|g|h|i)z", "xiz", true, {"iz", "i"}},
};

} // namespace

TEST(RegExecute, MatchTable)
{
    for (const MatchCase& c : kCases) {
        SCOPED_TRACE("pattern '" + std::string(c.pattern) + "' on '" + c.text + "'");
        ProgramPtr p = Compile(c.pattern);
        ASSERT_NE(p, nullptr);
        const int result = RegExecute(p.get(), c.text.c_str());
        EXPECT_EQ(result, c.matches ? 1 : 0);
        if (result == 0)
            continue;
        for (int n = 0; n < kRegSpanCount; ++n) {
            const std::string expected = n < static_cast<int>(c.spans.size()) ? c.spans[static_cast<std::size_t>(n)] : U;
            EXPECT_EQ(Span(p.get(), n), expected) << "span " << n;
        }
        // Spans point into the executed text.
        EXPECT_GE(p->startp[0], c.text.c_str());
        EXPECT_LE(p->endp[0], c.text.c_str() + c.text.size());
    }
}

// The search hints only skip positions where no match can start: behind an
// optional empty group the same pattern has no hints and is tried at every
// position, and finds the same match (its groups two places further on).
TEST(RegExecute, HintsDoNotChangeResults)
{
    for (const MatchCase& c : kCases) {
        SCOPED_TRACE("pattern '" + std::string(c.pattern) + "' on '" + c.text + "'");
        ProgramPtr hinted = Compile(c.pattern);
        ProgramPtr plain = Compile("()?(" + std::string(c.pattern) + ")");
        ASSERT_NE(plain, nullptr);
        EXPECT_EQ(plain->regstart, 0);
        EXPECT_EQ(plain->reganch, 0);
        const int result = RegExecute(hinted.get(), c.text.c_str());
        ASSERT_EQ(RegExecute(plain.get(), c.text.c_str()), result);
        if (result == 0)
            continue;
        EXPECT_EQ(Span(plain.get(), 0), Span(hinted.get(), 0));
        EXPECT_EQ(plain->startp[0], hinted->startp[0]);
        for (int n = 1; n + 2 < kRegSpanCount; ++n)
            EXPECT_EQ(Span(plain.get(), n + 2), Span(hinted.get(), n)) << "group " << n;
    }
}

// Where matches found without a full try begin and end: empty matches at the
// end of the text or of a group, and a leading-literal reject that clears
// the spans of the previous execution as a failed try does.
TEST(RegExecute, PositionsOfShortcutMatches)
{
    const char* text = "abba";
    ProgramPtr end = Compile("b*$");
    ASSERT_EQ(RegExecute(end.get(), text), 1);
    EXPECT_EQ(end->startp[0], text + 4);
    EXPECT_EQ(end->endp[0], text + 4);

    const char* spaced = "aab a";
    ProgramPtr plus = Compile("a+$");
    ASSERT_EQ(RegExecute(plus.get(), spaced), 1);
    EXPECT_EQ(plus->startp[0], spaced + 4);
    EXPECT_EQ(plus->endp[0], spaced + 5);

    const char* b = "baa";
    ProgramPtr choice = Compile("c|a*");
    ASSERT_EQ(RegExecute(choice.get(), b), 1);
    EXPECT_EQ(choice->startp[0], b);
    EXPECT_EQ(choice->endp[0], b);

    ProgramPtr group = Compile("(a*)");
    ASSERT_EQ(RegExecute(group.get(), b), 1);
    EXPECT_EQ(group->startp[1], b);
    EXPECT_EQ(group->endp[1], b);
    EXPECT_EQ(RegGroupCount(group.get()), 0);

    ProgramPtr anchored = Compile("^ab(c|d)");
    ASSERT_EQ(RegExecute(anchored.get(), "abc"), 1);
    EXPECT_EQ(Span(anchored.get(), 1), "c");
    EXPECT_EQ(RegExecute(anchored.get(), "xbc"), 0);
    for (int n = 0; n < kRegSpanCount; ++n) {
        EXPECT_EQ(anchored->startp[n], nullptr);
        EXPECT_EQ(anchored->endp[n], nullptr);
    }
}

TEST(RegExecute, GroupLengthCountAndCopy)
{
    ProgramPtr p = Compile("(a)(b)?(c)");
    const char* text = "xac";
    ASSERT_EQ(RegExecute(p.get(), text), 1);
    EXPECT_EQ(RegGroupLength(p.get(), 0), 2);
    EXPECT_EQ(RegGroupLength(p.get(), 1), 1);
    EXPECT_EQ(RegGroupLength(p.get(), 2), 0);
    EXPECT_EQ(RegGroupLength(p.get(), 3), 1);
    EXPECT_EQ(RegGroupLength(p.get(), -1), 0);
    EXPECT_EQ(RegGroupLength(p.get(), 10), 0);
    EXPECT_EQ(RegGroupLength(nullptr, 0), 0);
    EXPECT_EQ(RegGroupCount(p.get()), 2); // stops at the unset group 2
    EXPECT_EQ(RegGroupCount(nullptr), 0);

    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(RegCopyGroup(p.get(), 0, buffer, 2), buffer);
    EXPECT_STREQ(buffer, "ac");
    // Too small a capacity, an unset span or an empty span: nothing written.
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(RegCopyGroup(p.get(), 0, buffer, 1), nullptr);
    EXPECT_EQ(RegCopyGroup(p.get(), 2, buffer, 7), nullptr);
    EXPECT_EQ(RegCopyGroup(p.get(), 11, buffer, 7), nullptr);
    EXPECT_EQ(buffer[0], '#');

    ProgramPtr empty = Compile("x*");
    ASSERT_EQ(RegExecute(empty.get(), "abc"), 1);
    EXPECT_EQ(RegGroupCount(empty.get()), 0);
    EXPECT_EQ(RegCopyGroup(empty.get(), 0, buffer, 7), nullptr);
}

// An execution turned down by the search hints runs no try, so the spans of
// the previous execution stay; a try that fails clears them.
TEST(RegExecute, HintsRejectWithoutTrying)
{
    ProgramPtr must = Compile("x*abc");
    ASSERT_EQ(RegExecute(must.get(), "zzabc"), 1);
    EXPECT_EQ(RegExecute(must.get(), "zzab zzbc"), 0);
    EXPECT_EQ(RegGroupLength(must.get(), 0), 3);

    ProgramPtr first = Compile("abc");
    ASSERT_EQ(RegExecute(first.get(), "abc"), 1);
    EXPECT_EQ(RegExecute(first.get(), "xyz"), 0);
    EXPECT_EQ(RegGroupLength(first.get(), 0), 3);
    EXPECT_EQ(RegExecute(first.get(), "abx"), 0); // a try ran and failed
    EXPECT_EQ(RegGroupLength(first.get(), 0), 0);

    ProgramPtr anchored = Compile("^b");
    ASSERT_EQ(RegExecute(anchored.get(), "b"), 1);
    EXPECT_EQ(RegExecute(anchored.get(), "ab"), 0); // the one try fails
    EXPECT_EQ(RegGroupLength(anchored.get(), 0), 0);

    // Without first character or anchoring every position is tried, so the
    // spans are cleared even where no position could start a match.
    ProgramPtr choice = Compile("(CA|CB)");
    ASSERT_EQ(RegExecute(choice.get(), "xCB"), 1);
    EXPECT_EQ(Span(choice.get(), 1), "CB");
    EXPECT_EQ(RegExecute(choice.get(), "N"), 0);
    EXPECT_EQ(RegGroupLength(choice.get(), 0), 0);
    EXPECT_EQ(RegGroupLength(choice.get(), 1), 0);
    ASSERT_EQ(RegExecute(choice.get(), "CC CA"), 1);
    EXPECT_EQ(Span(choice.get(), 0), "CA");
}

// Long texts need no recursion and no budget: group repetitions over
// thousands of iterations and patterns with exponentially many paths answer
// exactly, with the last repetition of each group recorded.
TEST(RegExecute, LongTextsAndRunawayPatternsAnswerExactly)
{
    std::string pairs;
    for (int i = 0; i < 5000; ++i)
        pairs += "ab";
    ProgramPtr groups = Compile("(ab|cd)*e");
    const std::string pairsE = pairs + "e";
    ASSERT_EQ(RegExecute(groups.get(), pairsE.c_str()), 1);
    EXPECT_EQ(RegGroupLength(groups.get(), 0), 10001);
    EXPECT_EQ(Span(groups.get(), 1), "ab");
    EXPECT_EQ(RegExecute(groups.get(), (pairs + "x").c_str()), 0);

    ProgramPtr either = Compile("(a|b)*e");
    const std::string bs = std::string(4000, 'b') + "e";
    ASSERT_EQ(RegExecute(either.get(), bs.c_str()), 1);
    EXPECT_EQ(Span(either.get(), 1), "b");

    // A mebibyte of group repetitions.
    std::string huge;
    for (int i = 0; i < 512 * 1024; ++i)
        huge += "ab";
    huge += "c";
    ProgramPtr deep = Compile("(ab)*c");
    ASSERT_EQ(RegExecute(deep.get(), huge.c_str()), 1);
    EXPECT_EQ(RegGroupLength(deep.get(), 0), static_cast<int>(huge.size()));
    EXPECT_EQ(Span(deep.get(), 1), "ab");

    struct Runaway
    {
        const char* pattern;
        std::string text;
        std::string match;
    };
    const std::string as(20, 'a');
    const std::string xs(20, 'x');
    const std::string many(10000, 'a');
    for (const Runaway& c : std::vector<Runaway>{{"(a+)+b|c", as + "c", "c"},
                                                {"(x+x+)+y|z", xs + "z", "z"},
                                                {"(a+)+b|a*c", as + "c", as + "c"},
                                                {"(a|a)*c", many + "b", ""},
                                                {"(a+)+b", many, ""},
                                                {"((a|aa)+)+$", many + "b", ""},
                                                {"(.+)+x|(a+)+y", many, ""},
                                                {"(aa*a*)+b|(a+)+$", many, many}}) {
        SCOPED_TRACE(c.pattern);
        ProgramPtr p = Compile(c.pattern);
        ASSERT_NE(p, nullptr);
        const int result = RegExecute(p.get(), c.text.c_str());
        EXPECT_EQ(result, c.match.empty() ? 0 : 1);
        if (result == 1) {
            EXPECT_EQ(Span(p.get(), 0), c.match);
        }
    }
}

// The one bound left, the memory of the matcher's bookkeeping, is its own
// result, never "no match"; the same execution succeeds with the memory it
// needs.
TEST(RegExecute, MemoryLimitIsItsOwnResult)
{
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "ab";
    text += "c";
    ProgramPtr p = Compile("(ab)*c");
    const std::size_t previous = RegSetMemoryLimit(1024);
    EXPECT_EQ(RegExecute(p.get(), text.c_str()), kRegExecuteNoMemory);
    ProgramPtr runaway = Compile("(a|a)*c");
    const std::string as = std::string(3000, 'a') + "bc";
    EXPECT_EQ(RegExecute(runaway.get(), as.c_str()), kRegExecuteNoMemory);
    // The pattern class says so: the Match is false, but undecided.
    RegExpression expression("(ab)*c", false);
    EXPECT_FALSE(expression.Match(text.c_str(), true));
    EXPECT_TRUE(expression.IsMatchUndecided());
    EXPECT_EQ(RegSetMemoryLimit(previous), 1024u);
    EXPECT_TRUE(expression.Match(text.c_str(), true));
    EXPECT_FALSE(expression.IsMatchUndecided());
    EXPECT_EQ(RegExecute(p.get(), text.c_str()), 1);
    ASSERT_EQ(RegExecute(runaway.get(), as.c_str()), 1);
    EXPECT_EQ(Span(runaway.get(), 0), "c");
}
