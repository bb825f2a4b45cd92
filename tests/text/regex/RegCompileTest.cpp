#include "orvcore/text/regex/RegProgram.h"
#include "tests/text/regex/ProgramPtr.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

std::vector<std::string> g_messages;

void Record(const char* message)
{
    g_messages.push_back(message);
}

// Collects the engine's error messages while it lives.
class ErrorLog
{
public:
    ErrorLog() : m_previous(RegSetErrorHandler(Record)) { g_messages.clear(); }
    ~ErrorLog() { RegSetErrorHandler(m_previous); }
    std::string Last() const { return g_messages.empty() ? std::string() : g_messages.back(); }

private:
    RegErrorHandler m_previous;
};

std::vector<unsigned char> Bytes(RegProgram* p, std::size_t count)
{
    const unsigned char* b = reinterpret_cast<const unsigned char*>(RegProgramBytes(p));
    return std::vector<unsigned char>(b, b + count);
}

std::string Repeat(const std::string& part, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i)
        s += part;
    return s;
}

} // namespace

// Programs laid out by hand: kind, next offset (high byte first), operand.
TEST(RegCompile, ProgramBytes)
{
    struct Layout
    {
        const char* pattern;
        std::vector<unsigned char> bytes;
    };
    const std::vector<Layout> layouts = {
        {"ab", {0x9C, 6, 0, 9, 8, 0, 6, 'a', 'b', 0, 0, 0, 0}},
        {"a|b", {0x9C, 6, 0, 8, 8, 0, 13, 'a', 0, 6, 0, 8, 8, 0, 5, 'b', 0, 0, 0, 0}},
        // Star holds its single-character operand; the operand has no next.
        {"a*b", {0x9C, 6, 0, 16, 10, 0, 8, 8, 0, 0, 'a', 0, 8, 0, 5, 'b', 0, 0, 0, 0}},
        {"x+", {0x9C, 6, 0, 11, 11, 0, 8, 8, 0, 0, 'x', 0, 0, 0, 0}},
        // "ab?": the literal run gives up its b, and ? is a choice b | nothing.
        {"ab?",
         {0x9C, 6, 0, 22, 8, 0, 5, 'a', 0, 6, 0, 8, 8, 0, 8, 'b', 0, 6, 0, 3, 9, 0, 3, 0, 0, 0}},
        // A group under * : a choice of (group, Back to the choice) or nothing.
        {"(a)*",
         {0x9C, 6, 0, 29, 6, 0, 20, 21, 0, 3, 6, 0, 8, 8, 0, 5, 'a', 0, 31, 0, 3, 7, 0, 17, 6, 0, 3, 9, 0, 3,
          0, 0, 0}},
        // A group under + : the group, then a choice of Back to it or nothing.
        {"(x)+",
         {0x9C, 6, 0, 29, 21, 0, 3, 6, 0, 8, 8, 0, 5, 'x', 0, 31, 0, 3, 6, 0, 6, 7, 0, 17, 6, 0, 3, 9, 0, 3,
          0, 0, 0}},
        {"[^]a-c-]", {0x9C, 6, 0, 12, 5, 0, 9, ']', 'a', 'b', 'c', '-', 0, 0, 0, 0}},
        {"^\\<a\\.\\>$",
         {0x9C, 6, 0, 21, 1, 0, 3, 12, 0, 3, 8, 0, 6, 'a', '.', 0, 13, 0, 3, 2, 0, 3, 0, 0, 0}},
        {"", {0x9C, 6, 0, 6, 9, 0, 3, 0, 0, 0}},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.pattern);
        ProgramPtr p = Compile(layout.pattern);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(Bytes(p.get(), layout.bytes.size()), layout.bytes);
        for (int n = 0; n < kRegSpanCount; ++n) {
            EXPECT_EQ(p->startp[n], nullptr);
            EXPECT_EQ(p->endp[n], nullptr);
        }
    }
}

TEST(RegCompile, SearchHints)
{
    struct Hints
    {
        const char* pattern;
        char first;
        char anchored;
        const char* must; // null: no required literal
    };
    const std::vector<Hints> table = {
        {"abc", 'a', 0, nullptr},
        {"\\.x", '.', 0, nullptr},
        {"ab*", 'a', 0, nullptr},
        {"abc|abd", 0, 0, nullptr}, // two top-level branches: no hints
        {"^abc", 0, 1, nullptr},
        {"^a|b", 0, 0, nullptr},
        {"(^a)", 0, 0, nullptr},
        {"x*abc", 0, 0, "abc"},
        {".*abc", 0, 0, "abc"},
        {"x?ab*cde", 0, 0, "cde"},
        {"a*bc.de", 0, 0, "de"},       // equal lengths: the later one
        {"(a*b)cd", 0, 0, "cd"},       // a leading group starting with a repetition
        {"(ab)*c", 0, 0, "c"},
        {"(x|y*)abc", 0, 0, "abc"},
        {"a*", 0, 0, nullptr},
        {"a+bc", 0, 0, nullptr},       // + does not start with a repetition
        {"(a+)bc", 0, 0, nullptr},
        {"a?(bcd)", 0, 0, nullptr},    // literals inside groups do not count
    };
    for (const Hints& h : table) {
        SCOPED_TRACE(h.pattern);
        ProgramPtr p = Compile(h.pattern);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->regstart, h.first);
        EXPECT_EQ(p->reganch, h.anchored);
        if (h.must == nullptr) {
            EXPECT_EQ(p->regmust, nullptr);
            EXPECT_EQ(p->regmlen, 0);
            continue;
        }
        ASSERT_NE(p->regmust, nullptr);
        EXPECT_EQ(std::string(p->regmust, static_cast<std::size_t>(p->regmlen)), h.must);
        // The literal lies inside the program bytes.
        EXPECT_GT(p->regmust, RegProgramBytes(p.get()));
    }

    // The later of two equal literals, by position in the program.
    ProgramPtr p = Compile("a*xy.xy");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->regmust, RegProgramBytes(p.get()) + 24); // not the first xy at 15
}

TEST(RegCompile, ErrorMessages)
{
    struct Failure
    {
        std::string pattern;
        const char* message;
    };
    const std::vector<Failure> failures = {
        {"x**", "nested *?+"},
        {"x+?", "nested *?+"},
        {"(ab)*+", "nested *?+"},
        {"^*", "*+ operand could be empty"},
        {"$+", "*+ operand could be empty"},
        {"\\<*", "*+ operand could be empty"},
        {"(a?)*", "*+ operand could be empty"},
        {"()+", "*+ operand could be empty"},
        {"(a|)*", "*+ operand could be empty"},
        {"*x", "?+* follows nothing"},
        {"(*)", "?+* follows nothing"},
        {"a|?b", "?+* follows nothing"},
        {"a\n+b", "?+* follows nothing"},
        {"(x", "unmatched ()"},
        {"x)", "unmatched ()"},
        {"(a|b", "unmatched ()"},
        {"((a)", "unmatched ()"},
        {"[x", "unmatched []"},
        {"[]", "unmatched []"},
        {"[^]", "unmatched []"},
        {"[z-a]", "invalid [] range"},
        {"[b-a]", "invalid [] range"},
        {"[\xFF-a]", "invalid [] range"},
        {"x\\", "trailing \\"},
        {"\\", "trailing \\"},
        {"((((((((((a))))))))))", "too many ()"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "too many ()"},
        {std::string(32756, 'a'), "regexp too big"},
        {Repeat("[\x01-\xFF]", 127), "regexp too big"}, // 127 sets of 255 members
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.pattern.substr(0, 40));
        ErrorLog log;
        EXPECT_EQ(RegCompile(f.pattern.c_str()), nullptr);
        EXPECT_EQ(g_messages.size(), 1u);
        EXPECT_EQ(log.Last(), f.message);
    }

    ErrorLog log;
    EXPECT_EQ(RegCompile(nullptr), nullptr);
    EXPECT_EQ(log.Last(), "NULL argument");

    // Just inside the limits: nine groups, and a program of 32766 bytes
    // (magic, Branch, Literal with its NUL, End).
    ProgramPtr nine = Compile("(((((((((a)))))))))");
    ASSERT_NE(nine, nullptr);
    ProgramPtr biggest = Compile(std::string(32755, 'a'));
    ASSERT_NE(biggest, nullptr);
    EXPECT_EQ(RegExecute(biggest.get(), std::string(32756, 'a').c_str()), 1);
    EXPECT_EQ(RegGroupLength(biggest.get(), 0), 32755);
    // Valid patterns report nothing.
    EXPECT_EQ(g_messages.size(), 1u);
}

TEST(RegExecute, ErrorMessages)
{
    ErrorLog log;
    ProgramPtr p = Compile("ab");
    EXPECT_EQ(RegExecute(nullptr, "ab"), 0);
    EXPECT_EQ(log.Last(), "NULL parameter");
    EXPECT_EQ(RegExecute(p.get(), nullptr), 0);
    EXPECT_EQ(log.Last(), "NULL parameter");

    // Damaged programs: magic number, next link, node kind, Star operand.
    char* bytes = RegProgramBytes(p.get());
    bytes[0] = 0;
    EXPECT_EQ(RegExecute(p.get(), "ab"), 0);
    EXPECT_EQ(log.Last(), "corrupted program");
    bytes[0] = static_cast<char>(kRegMagic);
    ASSERT_EQ(RegExecute(p.get(), "ab"), 1);

    bytes[6] = 0; // the Literal's next link
    EXPECT_EQ(RegExecute(p.get(), "ab"), 0);
    EXPECT_EQ(log.Last(), "corrupted pointers");

    ProgramPtr q = Compile("ab");
    RegProgramBytes(q.get())[4] = 99; // unknown node kind
    EXPECT_EQ(RegExecute(q.get(), "ab"), 0);
    EXPECT_EQ(log.Last(), "memory corruption");

    ProgramPtr star = Compile("a*b");
    RegProgramBytes(star.get())[7] = RegNothing; // Star over a non-character node
    g_messages.clear();
    EXPECT_EQ(RegExecute(star.get(), "b"), 1);    // repeats nothing, then matches b
    ASSERT_FALSE(g_messages.empty());
    EXPECT_EQ(g_messages.front(), "internal foulup");
}
