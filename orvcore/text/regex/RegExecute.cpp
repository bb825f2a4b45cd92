#include "orvcore/text/regex/RegProgram.h"

#include <cctype>
#include <cstddef>
#include <climits>
#include <cstring>

namespace Orvane {

namespace {

RegErrorHandler g_errorHandler = nullptr;

// Letters and digits of the current locale, and the underscore. The byte is
// widened as unsigned so that bytes above 127 are valid classification input.
bool IsWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Whether a set string holds the (non-NUL) character c. Ranges such as 0-9
// make sets of ten and more characters, which the library scans faster than
// a byte loop.
bool InSet(const char* set, char c)
{
    return std::strchr(set, c) != nullptr;
}

// The text after the literal string when the text at `in` begins with it,
// else null.
const char* LiteralEnd(const char* literal, const char* in)
{
    for (; *literal != '\0'; ++literal, ++in) {
        if (*literal != *in)
            return nullptr;
    }
    return in;
}

bool LiteralAt(const char* literal, const char* in)
{
    return LiteralEnd(literal, in) != nullptr;
}

// The node after a forward-linked node, or null.
const char* ForwardNext(const char* node)
{
    const int offset = RegNextOffset(node);
    return offset != 0 ? node + offset : nullptr;
}

// strchr for a non-NUL character. The library's scan takes whole blocks of
// bytes at once, with no branch per byte to mispredict on short texts.
const char* FindChar(const char* s, char c)
{
    return std::strchr(s, c);
}

// Backtracking matcher for one execution of a program on one text.
class RegMatcher
{
public:
    RegMatcher(RegProgram* program, const char* text) : m_program(program), m_bol(text) {}

    // Runs the program from the given text position `at`, the nodes before
    // `node` having matched the text from `at` up to `in`; records slot 0 on
    // success.
    bool Try(const char* at, const char* node, const char* in);

    // What a failed try leaves: all spans unset.
    void ClearSpans();

    // True once a try went deeper, or the execution took more steps, than
    // the matcher allows; the execution then ends as no match.
    bool Aborted() const { return m_aborted; }

private:
    bool Match(const char* scan);
    bool MatchNodes(const char* scan);
    bool MatchChoice(const char* scan);
    bool MatchRepeat(const char* scan, const char* next);
    bool MatchGroup(const char* scan, const char* next);
    bool OverBudget();
    std::ptrdiff_t Repeat(const char* node);

    RegProgram* m_program;
    const char* m_bol;             // start of the text
    const char* m_input = nullptr; // current text position
    int m_depth = 0;
    long m_steps = 0;
    long m_budget = kRegMatchSteps;
    bool m_budgetScaled = false;
    bool m_cleared = false;
    bool m_aborted = false;
};

// Spans are written only when a try succeeds, so an unset slot 0 shows that
// all of them are clear already.
void ClearSpans(RegProgram* program)
{
    if (program->startp[0] == nullptr)
        return;
    for (int i = 0; i < kRegSpanCount; ++i) {
        program->startp[i] = nullptr;
        program->endp[i] = nullptr;
    }
}

// After the first clearing the spans stay clear through failed tries.
void RegMatcher::ClearSpans()
{
    if (m_cleared)
        return;
    Orvane::ClearSpans(m_program);
    m_cleared = true;
}

bool RegMatcher::Try(const char* at, const char* node, const char* in)
{
    ClearSpans();
    m_input = in;
    if (!Match(node))
        return false;
    m_program->startp[0] = at;
    m_program->endp[0] = m_input;
    return true;
}

// The step budget grows with the text, so that long texts get the work
// their length needs.
bool RegMatcher::OverBudget()
{
    if (!m_budgetScaled) {
        m_budgetScaled = true;
        const std::size_t scaled = std::strlen(m_bol) * kRegMatchStepsPerByte;
        if (scaled > static_cast<std::size_t>(m_budget))
            m_budget = scaled > static_cast<std::size_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(scaled);
    }
    return m_steps > m_budget;
}

// Every recursion passes through here, so that depth and work stay bounded.
bool RegMatcher::Match(const char* scan)
{
    if (m_depth >= kRegMaxMatchDepth || (++m_steps > m_budget && OverBudget())) {
        m_aborted = true;
        return false;
    }
    ++m_depth;
    const bool matched = MatchNodes(scan);
    --m_depth;
    return matched;
}

// Walks the node sequence from scan. Single-character and empty-width nodes
// are matched in the loop; a choice, a repetition and a group hand the rest
// of the match to their own functions, which recurse through Match.
bool RegMatcher::MatchNodes(const char* scan)
{
    // The position lives in a local while the loop runs; it is handed back
    // to m_input before any other function continues the match. A failed
    // match leaves m_input to the caller, which restores it.
    const char* in = m_input;
    while (scan != nullptr) {
        switch (RegOp(scan)) {
        case RegTextStart:
            if (in != m_bol)
                return false;
            break;
        case RegTextEnd:
            if (*in != '\0')
                return false;
            break;
        case RegWordStart:
            if (!IsWordChar(*in))
                return false;
            if (in > m_bol && IsWordChar(in[-1]))
                return false;
            break;
        case RegWordEnd:
            if (IsWordChar(*in))
                return false;
            break;
        case RegAnyChar:
            if (*in == '\0')
                return false;
            ++in;
            break;
        case RegLiteral:
            for (const char* literal = RegOperand(scan); *literal != '\0'; ++literal, ++in) {
                if (*literal != *in)
                    return false;
            }
            break;
        case RegAnyOf:
            if (*in == '\0' || !InSet(RegOperand(scan), *in))
                return false;
            ++in;
            break;
        case RegNoneOf:
            if (*in == '\0' || InSet(RegOperand(scan), *in))
                return false;
            ++in;
            break;
        case RegNothing:
        case RegBack:
            break;
        case RegBranch: {
            const char* next = RegNext(scan);
            if (next != nullptr && RegOp(next) == RegBranch) {
                m_input = in;
                return MatchChoice(scan);
            }
            scan = RegOperand(scan); // no choice: continue into the alternative
            continue;
        }
        case RegStar:
        case RegPlus:
            m_input = in;
            return MatchRepeat(scan, RegNext(scan));
        case RegEnd:
            m_input = in;
            return true;
        default:
            m_input = in;
            return MatchGroup(scan, RegNext(scan));
        }
        scan = RegNext(scan);
    }
    RegError("corrupted pointers");
    return false;
}

// Tries each alternative of a choice in order, restoring the input position
// after each failure. An alternative that begins with a literal the text
// does not continue with cannot match and is passed over.
bool RegMatcher::MatchChoice(const char* scan)
{
    const char* save = m_input;
    do {
        const char* head = RegOperand(scan);
        if (RegOp(head) != RegLiteral || LiteralAt(RegOperand(head), save)) {
            if (Match(head))
                return true;
            if (m_aborted)
                return false;
            m_input = save;
        }
        scan = RegNext(scan);
    } while (scan != nullptr && RegOp(scan) == RegBranch);
    return false;
}

// Counts the repetitions available, then gives them back one at a time; a
// following literal's first character rules out most positions.
bool RegMatcher::MatchRepeat(const char* scan, const char* next)
{
    const std::ptrdiff_t min = RegOp(scan) == RegStar ? 0 : 1;
    const char* save = m_input;
    std::ptrdiff_t count = Repeat(RegOperand(scan));
    if (count < min)
        return false;
    if (next != nullptr) {
        // Nothing left to match: the greedy count is the match. Before the
        // end of the text only the greedy count can succeed, as every
        // repetition given back is a character, not the end.
        if (RegOp(next) == RegEnd)
            return true;
        if (RegOp(next) == RegTextEnd)
            return *m_input == '\0' && Match(next);
    }
    const char nextChar = next != nullptr && RegOp(next) == RegLiteral ? *RegOperand(next) : '\0';
    while (count >= min) {
        if ((nextChar == '\0' || *m_input == nextChar) && Match(next))
            return true;
        if (m_aborted)
            return false;
        --count;
        m_input = save + count;
    }
    return false;
}

// Records where a group starts or ends once the rest has matched, unless a
// later repetition of the group recorded it already.
bool RegMatcher::MatchGroup(const char* scan, const char* next)
{
    const unsigned char op = RegOp(scan);
    const char** slot;
    if (op > RegGroupOpen && op < RegGroupOpen + kRegSpanCount)
        slot = &m_program->startp[op - RegGroupOpen];
    else if (op > RegGroupClose && op < RegGroupClose + kRegSpanCount)
        slot = &m_program->endp[op - RegGroupClose];
    else {
        RegError("memory corruption");
        return false;
    }
    const char* save = m_input;
    // At the end of the program the rest matches as it stands.
    if ((next == nullptr || RegOp(next) != RegEnd) && !Match(next))
        return false;
    if (*slot == nullptr)
        *slot = save;
    return true;
}

// Steps over as many repetitions of a single-character node as the text
// offers and returns their number.
std::ptrdiff_t RegMatcher::Repeat(const char* node)
{
    const char* scan = m_input;
    const char* operand = RegOperand(node);
    switch (RegOp(node)) {
    case RegAnyChar:
        scan += std::strlen(scan);
        break;
    case RegLiteral:
        while (*operand == *scan)
            ++scan;
        break;
    case RegAnyOf:
        while (*scan != '\0' && InSet(operand, *scan))
            ++scan;
        break;
    case RegNoneOf:
        while (*scan != '\0' && !InSet(operand, *scan))
            ++scan;
        break;
    default:
        RegError("internal foulup");
        break;
    }
    const std::ptrdiff_t count = scan - m_input;
    m_input = scan;
    return count;
}

// The required literal must occur somewhere in the text. Out of line, so
// that RegExecute stays small for the programs without one.
[[gnu::noinline]] bool ContainsRequired(const RegProgram* program, const char* text)
{
    const char* s = text;
    while ((s = FindChar(s, program->regmust[0])) != nullptr) {
        if (std::strncmp(s, program->regmust, static_cast<std::size_t>(program->regmlen)) == 0)
            return true;
        ++s;
    }
    return false;
}

// The characters a match can begin with, when the start of the program
// shows them plainly: after nodes of no width (group openings, assertions),
// either a literal, or a choice whose every alternative begins (after such
// nodes) with a literal.
// Returns their number, or 0 when a match may begin otherwise.
constexpr int kMaxStartChars = 8;

// Node kinds that match without consuming a character and lead on to their
// next node: assertions, Nothing and group openings.
bool IsEmptyWidth(unsigned char op)
{
    constexpr unsigned long long kinds = (1ull << RegTextStart) | (1ull << RegTextEnd) | (1ull << RegWordStart) |
                                         (1ull << RegWordEnd) | (1ull << RegNothing) | (0x3FEull << RegGroupOpen);
    return op < 64 && ((kinds >> op) & 1u) != 0;
}

int StartChars(const char* node, char* chars)
{
    // Single alternatives (the whole pattern, groups) are entered and nodes
    // of no width passed over, up to a literal or a choice.
    for (;;) {
        const unsigned char op = RegOp(node);
        const int offset = RegNextOffset(node);
        if (op == RegBranch) {
            if (offset != 0 && RegOp(node + offset) == RegBranch)
                break;
            node = RegOperand(node);
        } else if (IsEmptyWidth(op)) {
            if (offset == 0)
                return 0;
            node += offset;
        } else if (op == RegLiteral) {
            chars[0] = *RegOperand(node);
            return 1;
        } else {
            return 0;
        }
    }
    // A choice: every alternative must begin with a literal.
    int count = 0;
    for (;;) {
        const char* head = RegOperand(node);
        while (IsEmptyWidth(RegOp(head))) {
            const int offset = RegNextOffset(head);
            if (offset == 0)
                return 0;
            head += offset;
        }
        if (RegOp(head) != RegLiteral)
            return 0;
        const char c = *RegOperand(head);
        int i = 0;
        while (i < count && chars[i] != c)
            ++i;
        if (i == count) {
            if (count == kMaxStartChars)
                return 0;
            chars[count++] = c;
        }
        const int offset = RegNextOffset(node);
        if (offset == 0 || RegOp(node + offset) != RegBranch)
            return count;
        node += offset;
    }
}

bool IsStartChar(char c, const char* chars, int count)
{
    for (int i = 0; i < count; ++i) {
        if (chars[i] == c)
            return true;
    }
    return false;
}

// The tries of one execution, one function per kind of hint. They are kept
// out of RegExecute so that texts the hints reject cost no matcher set-up.

// Where a try may start in the program: a single alternative at the top is
// entered at once, as the matcher would.
const char* TryStart(RegProgram* program)
{
    const char* node = RegProgramBytes(program) + 1;
    if (RegOp(node) == RegBranch) {
        const char* next = ForwardNext(node);
        if (next == nullptr || RegOp(next) != RegBranch)
            node = RegOperand(node);
    }
    return node;
}

// A leading literal is compared here rather than by the matcher: a try is
// set up only where it matches, and starts after it. Tries passed over leave
// the spans cleared as a failed try would.
class LeadingLiteral
{
public:
    explicit LeadingLiteral(const char* node)
    {
        const char* next = RegOp(node) == RegLiteral ? ForwardNext(node) : nullptr;
        if (next != nullptr) {
            m_literal = RegOperand(node);
            m_rest = next;
        } else {
            m_rest = node;
        }
    }

    // Where the text from `at` continues after the leading literal: `at`
    // itself without one, null when the text does not begin with it.
    const char* After(const char* at) const { return m_literal != nullptr ? LiteralEnd(m_literal, at) : at; }

    // The node that follows the leading literal.
    const char* Rest() const { return m_rest; }

    // Tries the program at `at`.
    bool Try(RegMatcher& matcher, const char* at) const
    {
        const char* in = After(at);
        if (in == nullptr) {
            matcher.ClearSpans();
            return false;
        }
        return matcher.Try(at, m_rest, in);
    }

private:
    const char* m_literal = nullptr; // null: no leading literal
    const char* m_rest;              // node after the literal
};

// Anchored programs are tried at the start of the text only. Their single
// alternative opens with the start assertion, which holds there; a text the
// leading literal rules out is rejected before a matcher is set up.
[[gnu::noinline]] int SearchAnchored(RegProgram* program, const char* text)
{
    const char* node = TryStart(program);
    if (RegOp(node) == RegTextStart && ForwardNext(node) != nullptr)
        node = ForwardNext(node);
    const LeadingLiteral start(node);
    const char* in = start.After(text);
    if (in == nullptr) {
        ClearSpans(program);
        return 0;
    }
    RegMatcher matcher(program, text);
    return matcher.Try(text, start.Rest(), in) ? 1 : 0;
}

// Every match begins with the first character: tried at each of its
// occurrences, from the first one on.
[[gnu::noinline]] int SearchFirstChar(RegProgram* program, const char* text, const char* first)
{
    RegMatcher matcher(program, text);
    const LeadingLiteral start(TryStart(program));
    const char c = program->regstart;
    for (const char* s = first; s != nullptr; s = FindChar(s + 1, c)) {
        if (start.Try(matcher, s))
            return 1;
        if (matcher.Aborted())
            return 0;
    }
    return 0;
}

// Without hints in the record, the program's start may still show which
// characters a match can begin with; other positions need no try, and the
// spans end as the failed tries would leave them. Otherwise every position
// up to and including the terminating NUL is tried.
[[gnu::noinline]] int SearchUnhinted(RegProgram* program, const char* text)
{
    RegMatcher matcher(program, text);
    const char* s = text;
    char chars[kMaxStartChars];
    const int count = StartChars(RegProgramBytes(program) + 1, chars);
    if (count > 0) {
        matcher.ClearSpans();
        const char* start = nullptr; // found with the first position to try
        for (; *s != '\0'; ++s) {
            if (count == 1) {
                if ((s = FindChar(s, chars[0])) == nullptr)
                    break;
            } else if (!IsStartChar(*s, chars, count)) {
                continue;
            }
            if (start == nullptr)
                start = TryStart(program);
            if (matcher.Try(s, start, s))
                return 1;
            if (matcher.Aborted())
                return 0;
        }
        return 0;
    }
    const char* start = TryStart(program);
    do {
        if (matcher.Try(s, start, s))
            return 1;
        if (matcher.Aborted())
            return 0;
    } while (*s++ != '\0');
    return 0;
}

} // namespace

void RegError(const char* message)
{
    if (g_errorHandler != nullptr)
        g_errorHandler(message);
}

RegErrorHandler RegSetErrorHandler(RegErrorHandler handler)
{
    RegErrorHandler previous = g_errorHandler;
    g_errorHandler = handler;
    return previous;
}

int RegExecute(RegProgram* program, const char* text)
{
    if (program == nullptr || text == nullptr) {
        RegError("NULL parameter");
        return 0;
    }
    if (static_cast<unsigned char>(RegProgramBytes(program)[0]) != kRegMagic) {
        RegError("corrupted program");
        return 0;
    }
    // The hints in the record rule most texts out here, before a matcher is
    // set up for them.
    if (program->regmust != nullptr && !ContainsRequired(program, text))
        return 0;
    if (program->reganch)
        return SearchAnchored(program, text);
    if (program->regstart != '\0') {
        const char* first = FindChar(text, program->regstart);
        return first != nullptr ? SearchFirstChar(program, text, first) : 0;
    }
    return SearchUnhinted(program, text);
}

int RegGroupLength(RegProgram* program, int n)
{
    if (program == nullptr || n < 0 || n >= kRegSpanCount)
        return 0;
    const char* start = program->startp[n];
    const char* end = program->endp[n];
    if (start == nullptr || end == nullptr || end < start)
        return 0;
    return static_cast<int>(end - start);
}

int RegGroupCount(RegProgram* program)
{
    int count = 0;
    while (count < kRegSpanCount && RegGroupLength(program, count) > 0)
        ++count;
    return count;
}

char* RegCopyGroup(RegProgram* program, int n, char* buffer, int capacity)
{
    const int length = RegGroupLength(program, n);
    if (buffer == nullptr || length < 1 || length > capacity)
        return nullptr;
    std::memcpy(buffer, program->startp[n], static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return buffer;
}

} // namespace Orvane
