#pragma once

// A small backtracking regular-expression engine on NUL-terminated byte
// strings. A pattern compiles into one heap block (RegProgram) holding the
// match spans, the search hints and the byte-coded program; the block is
// obtained with malloc and its owner releases it with free.
//
// The engine is internal to the library: nothing here is exported.

#include <cstddef>

namespace Orvane {

// Number of recorded spans: slot 0 is the whole match, 1..9 the groups.
constexpr int kRegSpanCount = 10;

// First program byte of every compiled program.
constexpr unsigned char kRegMagic = 0x9C;

// Programs (magic byte included) must stay below this size, so that every
// next offset fits in the node's two offset bytes.
constexpr long kRegMaxProgramSize = 32767;

// Node kinds. A node is its kind byte, a two-byte next offset (high byte
// first; 0 means no next node, Back counts backwards) and its operand.
enum RegNodeKind : unsigned char {
    RegEnd = 0,        // success
    RegTextStart = 1,  // only at the very start of the text
    RegTextEnd = 2,    // only at the terminating NUL
    RegAnyChar = 3,    // any character but the terminating NUL
    RegAnyOf = 4,      // operand: set string
    RegNoneOf = 5,     // operand: set string
    RegBranch = 6,     // operand: the first node of one alternative
    RegBack = 7,       // nothing; next offset points backwards
    RegLiteral = 8,    // operand: literal string
    RegNothing = 9,    // the empty string
    RegStar = 10,      // operand: one single-character node
    RegPlus = 11,      // operand: one single-character node
    RegWordStart = 12, // empty string at the start of a word
    RegWordEnd = 13,   // empty string at the end of a word
    RegGroupOpen = 20, // + group number 1..9
    RegGroupClose = 30 // + group number 1..9
};

// Size of a node header: kind byte and two next-offset bytes.
constexpr int kRegNodeHeader = 3;

struct RegProgram
{
    const char* startp[kRegSpanCount]; // span starts into the last executed text
    const char* endp[kRegSpanCount];   // span ends (one past the last character)
    char regstart;                     // non-zero: every match begins with it
    char reganch;                      // 1: matches only at the start of the text
    const char* regmust;               // literal every match contains (into program), or null
    int regmlen;                       // its length
    char program[1];                   // magic byte, then the nodes; allocated to full size
};

// Bytes of the fixed part in front of the program bytes.
constexpr std::size_t kRegProgramHeader = offsetof(RegProgram, program);

// Compiles a pattern; null on any error (reported through RegError).
RegProgram* RegCompile(const char* pattern);

// 1 when the program matches somewhere in the text (the spans then describe
// the leftmost match), 0 when it matches nowhere, kRegExecuteNoMemory when
// the matcher's bookkeeping would need more memory than RegSetMemoryLimit
// allows (the answer is then unknown, never a silent "no match").
//
// The answer depends on the program and the text alone. The matcher
// backtracks on a stack of its own on the heap, so long texts need no deep
// recursion; after kRegMemoAfter backtracks it remembers every choice and
// repetition that failed at a text position (one bit each) and never tries
// it there again, in this or a later try of the execution. With P program
// bytes and a text of L bytes an execution so expands each (choice or
// repetition, position) pair at most once: at most P x (L + 1) expansions.
// Each expansion, like each of the first kRegMemoAfter backtracks, walks at
// most P nodes before it meets the next choice or repetition, and a
// repetition gives back at most L + 1 characters, so the work is at most
// (P x (L + 1) + kRegMemoAfter) x (P + L + 1) steps, in practice close to
// P x (L + 1) because a repetition remembers the run it scanned and where the
// rest failed on it. The first-character, anchored and required-literal
// hints only remove start positions. The memory is the P x (L + 1) bits of
// the memo and 12 bytes per open choice, repetition and group on the path
// being tried.
int RegExecute(RegProgram* program, const char* text);

// RegExecute's result when its bookkeeping ran out of memory. The spans are
// then cleared except the end of slot 0, which points at the text: a state no
// other execution leaves, which RegUndecided tells until the next execution.
constexpr int kRegExecuteNoMemory = -1;

// True when the program's last execution ended with kRegExecuteNoMemory.
bool RegUndecided(const RegProgram* program);

// The default and the setting of how many bytes one execution's bookkeeping
// may take (the memo and the backtracking stack); a process-wide setting.
constexpr std::size_t kRegDefaultMemoryLimit = std::size_t{1} << 30;

// Sets the memory limit of later executions; returns the previous limit.
std::size_t RegSetMemoryLimit(std::size_t bytes);

// Backtracks an execution takes before the matcher starts remembering
// failures (ordinary matches finish long before), and its setting; the
// answers do not depend on it.
constexpr long kRegMemoAfter = 1024;
long RegSetMemoAfter(long backtracks);

// Length of span n, 0 for a null program, n outside 0..9 or an unset span.
int RegGroupLength(RegProgram* program, int n);

// Number of consecutive spans from slot 0 that are longer than 0.
int RegGroupCount(RegProgram* program);

// Copies span n and a terminating NUL into buffer (capacity + 1 bytes) when
// the span is 1..capacity long; returns buffer, or null without writing.
char* RegCopyGroup(RegProgram* program, int n, char* buffer, int capacity);

// Error hook: every compile and execute error passes its message here. It
// does nothing unless a handler has been installed for diagnostics.
void RegError(const char* message);

typedef void (*RegErrorHandler)(const char* message);

// Installs a handler for RegError (null removes it); returns the previous one.
RegErrorHandler RegSetErrorHandler(RegErrorHandler handler);

// Program bytes and node access, shared by the compiler and the matcher.
inline char* RegProgramBytes(RegProgram* program)
{
    return reinterpret_cast<char*>(program) + kRegProgramHeader;
}

inline unsigned char RegOp(const char* node)
{
    return static_cast<unsigned char>(node[0]);
}

inline int RegNextOffset(const char* node)
{
    return (static_cast<unsigned char>(node[1]) << 8) | static_cast<unsigned char>(node[2]);
}

inline char* RegOperand(char* node)
{
    return node + kRegNodeHeader;
}

inline const char* RegOperand(const char* node)
{
    return node + kRegNodeHeader;
}

// The node that follows in sequence, or null.
inline const char* RegNext(const char* node)
{
    const int offset = RegNextOffset(node);
    if (offset == 0)
        return nullptr;
    return RegOp(node) == RegBack ? node - offset : node + offset;
}

} // namespace Orvane
