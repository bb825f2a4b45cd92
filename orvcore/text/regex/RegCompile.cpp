#include "orvcore/text/regex/RegProgram.h"

#include <cstdlib>
#include <cstring>

namespace Orvane {

namespace {

// What the parser knows about a piece it has parsed.
enum RegFlags {
    kWorst = 0,     // nothing known
    kHasWidth = 1,  // cannot match the empty string
    kSimple = 2,    // matches exactly one character (repeatable by Star/Plus)
    kSpStart = 4    // starts with a * or ? repetition
};

bool IsQuantifier(char c)
{
    return c == '*' || c == '+' || c == '?';
}

// Characters that end a run of literal text (besides quantifiers and the
// backslash forms handled separately).
bool EndsLiteralRun(char c)
{
    switch (c) {
    case '\0':
    case '\n':
    case '$':
    case '(':
    case ')':
    case '.':
    case '[':
    case '^':
    case '|':
        return true;
    default:
        return false;
    }
}

// A backslash that is not an ordinary escape: a word boundary or the end of
// the pattern.
bool IsSpecialBackslash(const char* p)
{
    return p[0] == '\\' && (p[1] == '<' || p[1] == '>' || p[1] == '\0');
}

// Two-pass compiler. Pass one (counting) parses the pattern and adds up the
// program size without storing anything; pass two parses again and emits the
// nodes into the allocated block. Both passes share every parse function.
class RegCompiler
{
public:
    RegCompiler(const char* pattern, char* code) : m_parse(pattern), m_code(code) {}

    // Parses the whole pattern behind the magic byte; false after an error.
    bool Compile(int* flags)
    {
        EmitByte(static_cast<char>(kRegMagic));
        return Reg(false, flags) != nullptr;
    }

    long Size() const { return m_size; }

private:
    bool Counting() const { return m_code == nullptr; }

    char* Fail(const char* message)
    {
        RegError(message);
        return nullptr;
    }

    // Emits a node header and returns it; while counting, returns a stand-in.
    char* EmitNode(unsigned char op)
    {
        if (Counting()) {
            m_size += kRegNodeHeader;
            return &m_dummy;
        }
        char* node = m_code;
        m_code[0] = static_cast<char>(op);
        m_code[1] = '\0';
        m_code[2] = '\0';
        m_code += kRegNodeHeader;
        return node;
    }

    void EmitByte(char c)
    {
        if (Counting())
            ++m_size;
        else
            *m_code++ = c;
    }

    // Inserts a node header in front of the already emitted operand, moving
    // the operand down.
    void InsertNode(unsigned char op, char* operand)
    {
        if (Counting()) {
            m_size += kRegNodeHeader;
            return;
        }
        std::memmove(operand + kRegNodeHeader, operand, static_cast<std::size_t>(m_code - operand));
        m_code += kRegNodeHeader;
        operand[0] = static_cast<char>(op);
        operand[1] = '\0';
        operand[2] = '\0';
    }

    // Sets the next link of the last node of the chain starting at p.
    void Tail(char* p, const char* target)
    {
        if (Counting() || p == &m_dummy)
            return;
        char* scan = p;
        for (;;) {
            char* next = const_cast<char*>(RegNext(scan));
            if (next == nullptr)
                break;
            scan = next;
        }
        const long offset = RegOp(scan) == RegBack ? scan - target : target - scan;
        scan[1] = static_cast<char>((offset >> 8) & 0xFF);
        scan[2] = static_cast<char>(offset & 0xFF);
    }

    // Tail on the operand chain of a Branch; nothing for any other node.
    void OperandTail(char* p, const char* target)
    {
        if (Counting() || p == nullptr || p == &m_dummy || RegOp(p) != RegBranch)
            return;
        Tail(RegOperand(p), target);
    }

    char* Reg(bool paren, int* flags);
    char* Branch(int* flags);
    char* Piece(int* flags);
    char* Atom(int* flags);
    char* Bracket(int* flags);
    char* LiteralRun(int* flags);
    void EmitEscapedChar(const char*& p);

    const char* m_parse; // next pattern character
    int m_groups = 1;    // next group number
    char* m_code;        // emit position; null while counting
    long m_size = 0;     // program size counted by pass one
    char m_dummy = 0;    // stand-in node while counting
};

// A choice of branches: the whole pattern, or a group (paren) after its '('.
char* RegCompiler::Reg(bool paren, int* flags)
{
    *flags = kHasWidth;
    char* ret = nullptr;
    int group = 0;
    if (paren) {
        if (m_groups >= kRegSpanCount)
            return Fail("too many ()");
        group = m_groups++;
        ret = EmitNode(static_cast<unsigned char>(RegGroupOpen + group));
    }

    int branchFlags = 0;
    char* branch = Branch(&branchFlags);
    if (branch == nullptr)
        return nullptr;
    if (ret != nullptr)
        Tail(ret, branch);
    else
        ret = branch;
    if (!(branchFlags & kHasWidth))
        *flags &= ~kHasWidth;
    *flags |= branchFlags & kSpStart;

    while (*m_parse == '|' || *m_parse == '\n') {
        ++m_parse;
        branch = Branch(&branchFlags);
        if (branch == nullptr)
            return nullptr;
        Tail(ret, branch);
        if (!(branchFlags & kHasWidth))
            *flags &= ~kHasWidth;
        *flags |= branchFlags & kSpStart;
    }

    // The closing node; every branch and every branch's last node lead to it.
    char* ender = EmitNode(paren ? static_cast<unsigned char>(RegGroupClose + group) : static_cast<unsigned char>(RegEnd));
    Tail(ret, ender);
    for (char* b = ret; b != nullptr && !Counting(); b = const_cast<char*>(RegNext(b)))
        OperandTail(b, ender);

    if (paren) {
        if (*m_parse++ != ')')
            return Fail("unmatched ()");
    } else if (*m_parse != '\0') {
        if (*m_parse == ')')
            return Fail("unmatched ()");
        return Fail("junk on end");
    }
    return ret;
}

// One alternative: a Branch node whose operand is the sequence of pieces.
char* RegCompiler::Branch(int* flags)
{
    *flags = kWorst;
    char* ret = EmitNode(RegBranch);
    char* chain = nullptr;
    while (*m_parse != '\0' && *m_parse != ')' && *m_parse != '\n' && *m_parse != '|') {
        int pieceFlags = 0;
        char* latest = Piece(&pieceFlags);
        if (latest == nullptr)
            return nullptr;
        *flags |= pieceFlags & kHasWidth;
        if (chain == nullptr)
            *flags |= pieceFlags & kSpStart;
        else
            Tail(chain, latest);
        chain = latest;
    }
    if (chain == nullptr)
        EmitNode(RegNothing);
    return ret;
}

// An atom and its optional quantifier.
char* RegCompiler::Piece(int* flags)
{
    int atomFlags = 0;
    char* ret = Atom(&atomFlags);
    if (ret == nullptr)
        return nullptr;

    const char op = *m_parse;
    if (!IsQuantifier(op)) {
        *flags = atomFlags;
        return ret;
    }
    if (!(atomFlags & kHasWidth) && op != '?')
        return Fail("*+ operand could be empty");
    *flags = op != '+' ? (kWorst | kSpStart) : (kWorst | kHasWidth);

    if (op == '*' && (atomFlags & kSimple)) {
        InsertNode(RegStar, ret);
    } else if (op == '*') {
        // A choice: X and a loop back to the choice, or nothing.
        InsertNode(RegBranch, ret);
        OperandTail(ret, EmitNode(RegBack));
        OperandTail(ret, ret);
        Tail(ret, EmitNode(RegBranch));
        Tail(ret, EmitNode(RegNothing));
    } else if (op == '+' && (atomFlags & kSimple)) {
        InsertNode(RegPlus, ret);
    } else if (op == '+') {
        // X, then a choice: loop back to X, or nothing.
        char* next = EmitNode(RegBranch);
        Tail(ret, next);
        Tail(EmitNode(RegBack), ret);
        Tail(next, EmitNode(RegBranch));
        Tail(ret, EmitNode(RegNothing));
    } else {
        // A choice: X, or nothing.
        InsertNode(RegBranch, ret);
        Tail(ret, EmitNode(RegBranch));
        char* tail = EmitNode(RegNothing);
        Tail(ret, tail);
        OperandTail(ret, tail);
    }
    ++m_parse;
    if (IsQuantifier(*m_parse))
        return Fail("nested *?+");
    return ret;
}

char* RegCompiler::Atom(int* flags)
{
    *flags = kWorst;
    char* ret = nullptr;
    switch (*m_parse) {
    case '^':
        ++m_parse;
        return EmitNode(RegTextStart);
    case '$':
        ++m_parse;
        return EmitNode(RegTextEnd);
    case '.':
        ++m_parse;
        *flags |= kHasWidth | kSimple;
        return EmitNode(RegAnyChar);
    case '[':
        ++m_parse;
        return Bracket(flags);
    case '(': {
        ++m_parse;
        int groupFlags = 0;
        ret = Reg(true, &groupFlags);
        if (ret == nullptr)
            return nullptr;
        *flags |= groupFlags & (kHasWidth | kSpStart);
        return ret;
    }
    case '\0':
    case '\n':
    case '|':
    case ')':
        return Fail("internal urp");
    case '?':
    case '+':
    case '*':
        return Fail("?+* follows nothing");
    case '\\':
        if (m_parse[1] == '\0')
            return Fail("trailing \\");
        if (m_parse[1] == '<' || m_parse[1] == '>') {
            const unsigned char op = m_parse[1] == '<' ? RegWordStart : RegWordEnd;
            m_parse += 2;
            return EmitNode(op);
        }
        return LiteralRun(flags);
    default:
        return LiteralRun(flags);
    }
}

// A bracket expression after its '['. A leading ']' or '-' is a member, as is
// a '-' before the closing ']'; a-z adds every byte value from a to z.
char* RegCompiler::Bracket(int* flags)
{
    char* ret;
    if (*m_parse == '^') {
        ret = EmitNode(RegNoneOf);
        ++m_parse;
    } else {
        ret = EmitNode(RegAnyOf);
    }
    if (*m_parse == ']' || *m_parse == '-')
        EmitByte(*m_parse++);
    while (*m_parse != '\0' && *m_parse != ']') {
        if (*m_parse != '-') {
            EmitByte(*m_parse++);
            continue;
        }
        ++m_parse;
        if (*m_parse == ']' || *m_parse == '\0') {
            EmitByte('-');
            continue;
        }
        // The range's first character was emitted already.
        int from = static_cast<unsigned char>(m_parse[-2]) + 1;
        const int to = static_cast<unsigned char>(*m_parse);
        if (from > to + 1)
            return Fail("invalid [] range");
        for (; from <= to; ++from)
            EmitByte(static_cast<char>(from));
        ++m_parse;
    }
    EmitByte('\0');
    if (*m_parse != ']')
        return Fail("unmatched []");
    ++m_parse;
    *flags |= kHasWidth | kSimple;
    return ret;
}

// Appends the character at p (an escape counts as its second character) and
// steps over it.
void RegCompiler::EmitEscapedChar(const char*& p)
{
    if (*p == '\\')
        ++p;
    EmitByte(*p++);
}

// A run of ordinary and escaped characters as one Literal. When a quantifier
// follows a run of several characters, the last one is left for the next
// atom, so that the quantifier repeats that character alone.
char* RegCompiler::LiteralRun(int* flags)
{
    const char* start = m_parse;
    const char* p = start;
    const char* last = start;
    int length = 0;
    while (!EndsLiteralRun(*p) && !IsQuantifier(*p) && !IsSpecialBackslash(p)) {
        last = p;
        p += *p == '\\' ? 2 : 1;
        ++length;
    }
    if (length > 1 && IsQuantifier(*p)) {
        p = last;
        --length;
    }
    *flags |= kHasWidth;
    if (length == 1)
        *flags |= kSimple;

    char* ret = EmitNode(RegLiteral);
    const char* q = start;
    for (int i = 0; i < length; ++i)
        EmitEscapedChar(q);
    EmitByte('\0');
    m_parse = p;
    return ret;
}

// Fills the search hints from the single top-level branch, if there is one.
void FillHints(RegProgram* r, int flags)
{
    const char* first = RegProgramBytes(r) + 1; // the first Branch
    const char* next = RegNext(first);
    if (next == nullptr || RegOp(next) != RegEnd)
        return;
    const char* scan = RegOperand(first);
    if (RegOp(scan) == RegLiteral)
        r->regstart = *RegOperand(scan);
    else if (RegOp(scan) == RegTextStart)
        r->reganch = 1;
    if (!(flags & kSpStart))
        return;
    // A leading repetition defeats the first-character search; a literal of
    // the top-level sequence still lets the whole text be rejected early.
    const char* longest = nullptr;
    std::size_t length = 0;
    for (; scan != nullptr; scan = RegNext(scan)) {
        if (RegOp(scan) != RegLiteral)
            continue;
        const std::size_t n = std::strlen(RegOperand(scan));
        if (n >= length) {
            longest = RegOperand(scan);
            length = n;
        }
    }
    r->regmust = longest;
    r->regmlen = static_cast<int>(length);
}

} // namespace

RegProgram* RegCompile(const char* pattern)
{
    if (pattern == nullptr) {
        RegError("NULL argument");
        return nullptr;
    }

    int flags = 0;
    RegCompiler counter(pattern, nullptr);
    if (!counter.Compile(&flags))
        return nullptr;
    if (counter.Size() >= kRegMaxProgramSize) {
        RegError("regexp too big");
        return nullptr;
    }

    const std::size_t bytes = kRegProgramHeader + static_cast<std::size_t>(counter.Size());
    RegProgram* r = static_cast<RegProgram*>(std::calloc(1, bytes));
    if (r == nullptr) {
        RegError("out of space");
        return nullptr;
    }

    RegCompiler emitter(pattern, RegProgramBytes(r));
    if (!emitter.Compile(&flags)) {
        std::free(r);
        return nullptr;
    }
    FillHints(r, flags);
    return r;
}

} // namespace Orvane
