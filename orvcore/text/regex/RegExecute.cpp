#include "orvcore/text/regex/RegProgram.h"

#include <cctype>
#include <cstddef>
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

// Backtracking matcher for one execution of a program on one text.
class RegMatcher
{
public:
    RegMatcher(RegProgram* program, const char* text) : m_program(program), m_bol(text) {}

    // Runs the program from the given text position; records slot 0 on
    // success.
    bool Try(const char* at);

    // True once a try went deeper than the matcher allows; the execution
    // then ends as no match.
    bool Aborted() const { return m_aborted; }

private:
    bool Match(const char* scan);
    bool MatchNodes(const char* scan);
    std::ptrdiff_t Repeat(const char* node);

    RegProgram* m_program;
    const char* m_bol;            // start of the text
    const char* m_input = nullptr; // current text position
    int m_depth = 0;
    bool m_aborted = false;
};

bool RegMatcher::Try(const char* at)
{
    m_input = at;
    for (int i = 0; i < kRegSpanCount; ++i) {
        m_program->startp[i] = nullptr;
        m_program->endp[i] = nullptr;
    }
    if (!Match(RegProgramBytes(m_program) + 1))
        return false;
    m_program->startp[0] = at;
    m_program->endp[0] = m_input;
    return true;
}

// Every recursion passes through here, so that the depth stays bounded.
bool RegMatcher::Match(const char* scan)
{
    if (m_aborted)
        return false;
    if (m_depth >= kRegMaxMatchDepth) {
        m_aborted = true;
        return false;
    }
    ++m_depth;
    const bool matched = MatchNodes(scan);
    --m_depth;
    return matched;
}

// Walks the node sequence from scan; recurses where a choice or a recorded
// group position needs the rest of the match to succeed first.
bool RegMatcher::MatchNodes(const char* scan)
{
    while (scan != nullptr) {
        const char* next = RegNext(scan);
        const unsigned char op = RegOp(scan);
        switch (op) {
        case RegTextStart:
            if (m_input != m_bol)
                return false;
            break;
        case RegTextEnd:
            if (*m_input != '\0')
                return false;
            break;
        case RegWordStart:
            if (!IsWordChar(*m_input))
                return false;
            if (m_input > m_bol && IsWordChar(m_input[-1]))
                return false;
            break;
        case RegWordEnd:
            if (IsWordChar(*m_input))
                return false;
            break;
        case RegAnyChar:
            if (*m_input == '\0')
                return false;
            ++m_input;
            break;
        case RegLiteral: {
            const char* literal = RegOperand(scan);
            if (*literal != *m_input)
                return false;
            const std::size_t length = std::strlen(literal);
            if (length > 1 && std::strncmp(literal, m_input, length) != 0)
                return false;
            m_input += length;
            break;
        }
        case RegAnyOf:
            if (*m_input == '\0' || std::strchr(RegOperand(scan), *m_input) == nullptr)
                return false;
            ++m_input;
            break;
        case RegNoneOf:
            if (*m_input == '\0' || std::strchr(RegOperand(scan), *m_input) != nullptr)
                return false;
            ++m_input;
            break;
        case RegNothing:
        case RegBack:
            break;
        case RegBranch:
            if (next == nullptr || RegOp(next) != RegBranch) {
                next = RegOperand(scan); // no choice: continue into the alternative
                break;
            }
            do {
                const char* save = m_input;
                if (Match(RegOperand(scan)))
                    return true;
                if (m_aborted)
                    return false;
                m_input = save;
                scan = RegNext(scan);
            } while (scan != nullptr && RegOp(scan) == RegBranch);
            return false;
        case RegStar:
        case RegPlus: {
            // Count the repetitions available, then give them back one at a
            // time; a following literal's first character rules out most.
            const char nextChar = next != nullptr && RegOp(next) == RegLiteral ? *RegOperand(next) : '\0';
            const std::ptrdiff_t min = op == RegStar ? 0 : 1;
            const char* save = m_input;
            std::ptrdiff_t count = Repeat(RegOperand(scan));
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
        case RegEnd:
            return true;
        default:
            if (op > RegGroupOpen && op < RegGroupOpen + kRegSpanCount) {
                // Record the start after the rest succeeds, unless a later
                // repetition of the group recorded it already.
                const int n = op - RegGroupOpen;
                const char* save = m_input;
                if (!Match(next))
                    return false;
                if (m_program->startp[n] == nullptr)
                    m_program->startp[n] = save;
                return true;
            }
            if (op > RegGroupClose && op < RegGroupClose + kRegSpanCount) {
                const int n = op - RegGroupClose;
                const char* save = m_input;
                if (!Match(next))
                    return false;
                if (m_program->endp[n] == nullptr)
                    m_program->endp[n] = save;
                return true;
            }
            RegError("memory corruption");
            return false;
        }
        scan = next;
    }
    RegError("corrupted pointers");
    return false;
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
        while (*scan != '\0' && std::strchr(operand, *scan) != nullptr)
            ++scan;
        break;
    case RegNoneOf:
        while (*scan != '\0' && std::strchr(operand, *scan) == nullptr)
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

// The required literal must occur somewhere in the text.
bool ContainsRequired(const RegProgram* program, const char* text)
{
    const char* s = text;
    while ((s = std::strchr(s, program->regmust[0])) != nullptr) {
        if (std::strncmp(s, program->regmust, static_cast<std::size_t>(program->regmlen)) == 0)
            return true;
        ++s;
    }
    return false;
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
    if (program->regmust != nullptr && !ContainsRequired(program, text))
        return 0;

    RegMatcher matcher(program, text);
    if (program->reganch)
        return matcher.Try(text) ? 1 : 0;
    const char* s = text;
    if (program->regstart != '\0') {
        while ((s = std::strchr(s, program->regstart)) != nullptr) {
            if (matcher.Try(s))
                return 1;
            if (matcher.Aborted())
                return 0;
            ++s;
        }
        return 0;
    }
    do {
        if (matcher.Try(s))
            return 1;
        if (matcher.Aborted())
            return 0;
    } while (*s++ != '\0');
    return 0;
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
