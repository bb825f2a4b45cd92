#include "orvcore/text/regex/RegProgram.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

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

// One point the matcher can come back to, kept on the matcher's own stack:
//   Choice: the alternative `node` of the choice whose first Branch is at
//           `aux` is being tried at `pos`;
//   Repeat: the repetition `node` tries the rest at `pos` next, down to `aux`;
//   Group:  the group node `node` was passed at `pos` (recorded on success).
// Nodes are offsets into the program bytes, positions offsets into the text.
enum RegFrameKind : std::uint8_t { FrameChoice, FrameRepeat, FrameGroup };

struct RegFrame
{
    std::int32_t pos;
    std::int32_t aux;
    std::uint16_t node;
    RegFrameKind kind;
};

std::atomic<std::size_t> g_memoryLimit{kRegDefaultMemoryLimit};
std::atomic<long> g_memoAfter{kRegMemoAfter};

// What the matcher remembers about one Star or Plus node while the memo is
// on: the text from runStart up to runEnd is a run of characters the node's
// operand accepts (runEnd is the first one it does not), and the rest of the
// program fails at every position from failFrom up to runEnd.
struct RegRun
{
    std::ptrdiff_t runStart = 1;
    std::ptrdiff_t runEnd = 0;
    std::ptrdiff_t failFrom = 1;
};

// The failure memo of an execution, set up once it is needed.
struct RegMemo
{
    std::size_t words = 0;             // 64-bit words per row: text length + 1 bits
    std::vector<std::uint16_t> index;  // node offset -> row + 1; 0xFFFF for nodes without a row
    std::vector<std::uint64_t> failed; // the rows of bits
    std::vector<RegRun> runs;          // per row (used by repetitions)
};

// Backtracking matcher for one execution of a program on one text. The
// backtracking points live in a stack of its own (on the heap once it
// outgrows a small buffer), so the depth of a match is bounded by memory, not
// by the call stack.
//
// Whether the rest of the program matches from a node at a text position
// depends on nothing else: the grammar has no back-references, and loops
// whose body could match the empty string are rejected by the compiler. So
// once a choice or a repetition has failed at a position it fails there in
// every later try of the execution; after the first kRegMemoAfter backtracks
// the matcher remembers such failures in one bit per (node, position) and
// never explores them again. The first successful path, and so every span,
// stays the one plain backtracking finds.
class RegMatcher
{
public:
    RegMatcher(RegProgram* program, const char* text)
        : m_program(program), m_base(RegProgramBytes(program)), m_bol(text),
          m_memoAfter(g_memoAfter.load(std::memory_order_relaxed))
    {
    }

    // Runs the program from `node`, the text from `at` up to `in` having
    // matched the nodes before it; records the spans on success. 1 on a
    // match, 0 on none, kRegExecuteNoMemory when the bookkeeping needed more
    // memory than allowed.
    int Try(const char* at, const char* node, const char* in);

    // What a failed try leaves: all spans unset.
    void ClearSpans();

private:
    int Run(const char* at, const char* node, const char* in);
    bool Push(RegFrameKind kind, const char* node, std::ptrdiff_t pos, std::ptrdiff_t aux)
    {
        // Frames keep positions in 32 bits.
        if (pos > INT32_MAX || (m_size == m_capacity && !Grow()))
            return false;
        m_frames[m_size++] =
            RegFrame{static_cast<std::int32_t>(pos), static_cast<std::int32_t>(aux), Offset(node), kind};
        return true;
    }
    bool Grow();
    bool StartMemo();
    bool Failed(const char* node, const char* pos) const;
    void MarkFailed(std::uint16_t node, std::ptrdiff_t pos);
    const char* FirstAlternative(const char* branch, const char*& node, const char*& in) const;
    const char* RunEnd(const char* node, const char* in);
    std::ptrdiff_t NextCandidate(const char* node, std::ptrdiff_t q, std::ptrdiff_t floor);
    void RecordSpans(const char* at, const char* end);

    std::uint16_t Offset(const char* node) const { return static_cast<std::uint16_t>(node - m_base); }
    const char* Node(std::uint16_t offset) const { return m_base + offset; }

    RegProgram* m_program;
    const char* m_base; // program bytes
    const char* m_bol;  // start of the text
    bool m_cleared = false;

    // The backtracking stack.
    static constexpr std::size_t kInlineFrames = 32;
    RegFrame m_inline[kInlineFrames];
    std::unique_ptr<RegFrame[]> m_heap;
    RegFrame* m_frames = m_inline;
    std::size_t m_size = 0;
    std::size_t m_capacity = kInlineFrames;

    // The failure memo, once on: one bit per (choice or repetition, text
    // position), and the run of each repetition.
    long m_memoAfter;
    long m_backtracks = 0;
    std::unique_ptr<RegMemo> m_memo;
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

int RegMatcher::Try(const char* at, const char* node, const char* in)
{
    ClearSpans();
    return Run(at, node, in);
}

// Gives the stack four times the room, within the memory limit.
[[gnu::noinline]] bool RegMatcher::Grow()
{
    const std::size_t capacity = m_capacity * 4;
    const std::size_t memo = m_memo ? m_memo->failed.size() * sizeof(std::uint64_t) : 0;
    if (capacity * sizeof(RegFrame) + memo >
        g_memoryLimit.load(std::memory_order_relaxed))
        return false;
    std::unique_ptr<RegFrame[]> grown(new (std::nothrow) RegFrame[capacity]);
    if (grown == nullptr)
        return false;
    std::memcpy(grown.get(), m_frames, m_size * sizeof(RegFrame));
    m_heap = std::move(grown);
    m_frames = m_heap.get();
    m_capacity = capacity;
    return true;
}

// Numbers the choices and repetitions reachable from the program's start
// and sets up their rows of failure bits. False when they do not fit the
// memory limit.
bool RegMatcher::StartMemo()
{
    m_memo = std::make_unique<RegMemo>();
    std::vector<std::uint16_t>& index = m_memo->index;
    // Every node is reached from the first one through next links and the
    // operands of Branch nodes.
    std::vector<std::uint16_t> pending{1};
    std::size_t rows = 0;
    while (!pending.empty()) {
        const std::uint16_t offset = pending.back();
        pending.pop_back();
        if (offset >= index.size())
            index.resize(offset + 1u, 0);
        if (index[offset] != 0)
            continue;
        const char* node = Node(offset);
        const unsigned char op = RegOp(node);
        const char* next = RegNext(node);
        const bool choice = op == RegBranch && next != nullptr && RegOp(next) == RegBranch;
        // Nodes without a row are marked visited with an index past the rows.
        index[offset] = choice || op == RegStar || op == RegPlus ? static_cast<std::uint16_t>(++rows) : 0xFFFF;
        if (next != nullptr)
            pending.push_back(Offset(next));
        if (op == RegBranch)
            pending.push_back(Offset(RegOperand(node)));
    }
    const std::size_t words = m_memo->words = (std::strlen(m_bol) + 1 + 63) / 64;
    const std::size_t limit = g_memoryLimit.load(std::memory_order_relaxed);
    const std::size_t stack = m_capacity * sizeof(RegFrame);
    if (stack > limit || (rows != 0 && words > (limit - stack) / sizeof(std::uint64_t) / rows))
        return false;
    try {
        m_memo->failed.assign(rows * words, 0);
        m_memo->runs.assign(rows, RegRun{});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

inline bool RegMatcher::Failed(const char* node, const char* pos) const
{
    const std::size_t row = m_memo->index[Offset(node)] - 1u;
    const std::size_t bit = static_cast<std::size_t>(pos - m_bol);
    return (m_memo->failed[row * m_memo->words + bit / 64] >> (bit % 64)) & 1u;
}

inline void RegMatcher::MarkFailed(std::uint16_t node, std::ptrdiff_t pos)
{
    if (!m_memo)
        return;
    const std::size_t row = m_memo->index[node] - 1u;
    const std::size_t bit = static_cast<std::size_t>(pos);
    m_memo->failed[row * m_memo->words + bit / 64] |= std::uint64_t{1} << (bit % 64);
}

// The first alternative of the choice from `branch` on that can begin at
// `in`: one that begins with a literal the text does not continue with is
// passed over. Null when none is left; otherwise `node` and `in` are set to
// where the walk continues in it.
const char* RegMatcher::FirstAlternative(const char* branch, const char*& node, const char*& in) const
{
    for (; branch != nullptr && RegOp(branch) == RegBranch; branch = RegNext(branch)) {
        const char* head = RegOperand(branch);
        if (RegOp(head) != RegLiteral) {
            node = head;
            return branch;
        }
        // The literal compared here is not compared again: the walk goes on
        // after it.
        if (const char* end = LiteralEnd(RegOperand(head), in)) {
            node = RegNext(head);
            in = end;
            return branch;
        }
    }
    return nullptr;
}

// Steps over the characters from `in` that the single-character node
// accepts, up to `stop` when that is given.
template <bool kStop = true>
const char* Repeat(const char* node, const char* in, const char* stop = nullptr)
{
    const char* scan = in;
    const char* operand = RegOperand(node);
    switch (RegOp(node)) {
    case RegAnyChar:
        if (!kStop)
            return scan + std::strlen(scan);
        while (*scan != '\0' && scan != stop)
            ++scan;
        break;
    case RegLiteral:
        while (*scan == *operand && (!kStop || scan != stop))
            ++scan;
        break;
    case RegAnyOf:
        while (*scan != '\0' && (!kStop || scan != stop) && InSet(operand, *scan))
            ++scan;
        break;
    case RegNoneOf:
        while (*scan != '\0' && (!kStop || scan != stop) && !InSet(operand, *scan))
            ++scan;
        break;
    default:
        RegError("internal foulup");
        break;
    }
    return scan;
}

// Where the greedy repetition of a Star or Plus node from `in` ends. With the
// memo on, runs already scanned are remembered and not scanned again.
const char* RegMatcher::RunEnd(const char* node, const char* in)
{
    const char* operand = RegOperand(node);
    RegRun* run = m_memo ? &m_memo->runs[m_memo->index[Offset(node)] - 1u] : nullptr;
    const std::ptrdiff_t pos = in - m_bol;
    if (run != nullptr && run->runStart <= pos && pos <= run->runEnd)
        return m_bol + run->runEnd;
    const char* stop = run != nullptr && run->runStart <= run->runEnd && pos < run->runStart ? m_bol + run->runStart
                                                                                           : nullptr;
    const char* scan = stop != nullptr ? Repeat(operand, in, stop) : Repeat<false>(operand, in);
    if (run == nullptr)
        return scan;
    if (scan == stop) {
        run->runStart = pos; // the run remembered continues back to here
        return m_bol + run->runEnd;
    }
    *run = RegRun{pos, scan - m_bol, scan - m_bol + 1};
    return scan;
}

// The position a repetition tries the rest of the program at next, going
// down from `q` to `floor`: a following literal's first character rules out
// the others. Positions passed over, like the tries that failed, extend the
// remembered failures of the run. Null when none is left.
std::ptrdiff_t RegMatcher::NextCandidate(const char* node, std::ptrdiff_t q, std::ptrdiff_t floor)
{
    const char* next = RegNext(node);
    const char nextChar = next != nullptr && RegOp(next) == RegLiteral ? *RegOperand(next) : '\0';
    RegRun* run = m_memo ? &m_memo->runs[m_memo->index[Offset(node)] - 1u] : nullptr;
    if (run != nullptr && run->runStart <= q && q <= run->runEnd)
        q = std::min(q, run->failFrom - 1);
    for (; q >= floor; --q) {
        if (nextChar == '\0' || m_bol[q] == nextChar)
            return q;
        if (run != nullptr && q + 1 == run->failFrom && run->runStart <= q)
            run->failFrom = q;
    }
    return -1;
}

// Records slot 0 and, from the group nodes on the successful path, where
// each group was entered and left the last time.
void RegMatcher::RecordSpans(const char* at, const char* end)
{
    m_program->startp[0] = at;
    m_program->endp[0] = end;
    for (std::size_t i = m_size; i-- > 0;) {
        const RegFrame& frame = m_frames[i];
        if (frame.kind != FrameGroup)
            continue;
        const unsigned char op = RegOp(Node(frame.node));
        const char** slot = op < RegGroupClose ? &m_program->startp[op - RegGroupOpen]
                                               : &m_program->endp[op - RegGroupClose];
        if (*slot == nullptr)
            *slot = m_bol + frame.pos;
    }
}

// The matcher proper: walks the nodes forward from `node` at `in`, pushing a
// frame at every choice, repetition and group, and on a failure resumes the
// newest frame that has something left to try.
int RegMatcher::Run(const char* at, const char* node, const char* in)
{
    m_size = 0;
    for (;;) {
        bool failed = false;
        while (!failed) {
            if (node == nullptr) {
                RegError("corrupted pointers");
                failed = true;
                break;
            }
            const unsigned char op = RegOp(node);
            switch (op) {
            case RegTextStart:
                failed = in != m_bol;
                break;
            case RegTextEnd:
                failed = *in != '\0';
                break;
            case RegWordStart:
                failed = !IsWordChar(*in) || (in > m_bol && IsWordChar(in[-1]));
                break;
            case RegWordEnd:
                failed = IsWordChar(*in);
                break;
            case RegAnyChar:
                failed = *in == '\0';
                ++in;
                break;
            case RegLiteral:
                in = LiteralEnd(RegOperand(node), in);
                failed = in == nullptr;
                break;
            case RegAnyOf:
                failed = *in == '\0' || !InSet(RegOperand(node), *in);
                ++in;
                break;
            case RegNoneOf:
                failed = *in == '\0' || InSet(RegOperand(node), *in);
                ++in;
                break;
            case RegNothing:
            case RegBack:
                break;
            case RegBranch: {
                const char* next = RegNext(node);
                if (next == nullptr || RegOp(next) != RegBranch) {
                    node = RegOperand(node); // no choice: continue into the alternative
                    continue;
                }
                if (m_memo && Failed(node, in)) {
                    failed = true;
                    break;
                }
                const char* const choice = node;
                const char* const from = in;
                const char* alternative = FirstAlternative(choice, node, in);
                if (alternative == nullptr) {
                    MarkFailed(Offset(choice), from - m_bol);
                    failed = true;
                    break;
                }
                // Without the memo, the last alternative needs no frame: its
                // failure is the choice's.
                const char* following = RegNext(alternative);
                if ((m_memo || (following != nullptr && RegOp(following) == RegBranch)) &&
                    !Push(FrameChoice, alternative, from - m_bol, Offset(choice)))
                    return kRegExecuteNoMemory;
                continue;
            }
            case RegStar:
            case RegPlus: {
                if (m_memo && Failed(node, in)) {
                    failed = true;
                    break;
                }
                const char* next = RegNext(node);
                const char* end = RunEnd(node, in);
                const std::ptrdiff_t floor = (in - m_bol) + (op == RegPlus ? 1 : 0);
                if (end - m_bol < floor) {
                    failed = true;
                    break;
                }
                // Nothing left to match: the greedy count is the match.
                // Before the end of the text only the greedy count can
                // succeed, as every repetition given back is a character.
                if (next != nullptr && (RegOp(next) == RegEnd || RegOp(next) == RegTextEnd)) {
                    in = end;
                    node = next;
                    continue;
                }
                const std::ptrdiff_t q = NextCandidate(node, end - m_bol, floor);
                if (q < 0) {
                    MarkFailed(Offset(node), in - m_bol);
                    failed = true;
                    break;
                }
                if (!Push(FrameRepeat, node, q, floor))
                    return kRegExecuteNoMemory;
                in = m_bol + q;
                node = next;
                continue;
            }
            case RegEnd:
                RecordSpans(at, in);
                return 1;
            default:
                if ((op > RegGroupOpen && op < RegGroupOpen + kRegSpanCount) ||
                    (op > RegGroupClose && op < RegGroupClose + kRegSpanCount)) {
                    if (!Push(FrameGroup, node, in - m_bol, 0))
                        return kRegExecuteNoMemory;
                    break;
                }
                RegError("memory corruption");
                failed = true;
                break;
            }
            if (!failed)
                node = RegNext(node);
        }

        // Back to the newest frame with something left to try.
        for (;;) {
            if (m_size == 0)
                return 0;
            if (++m_backtracks > m_memoAfter && !m_memo && !StartMemo())
                return kRegExecuteNoMemory;
            RegFrame& frame = m_frames[m_size - 1];
            if (frame.kind == FrameGroup) {
                --m_size;
                continue;
            }
            if (frame.kind == FrameChoice) {
                in = m_bol + frame.pos;
                const char* alternative = FirstAlternative(RegNext(Node(frame.node)), node, in);
                if (alternative == nullptr) {
                    MarkFailed(static_cast<std::uint16_t>(frame.aux), frame.pos);
                    --m_size;
                    continue;
                }
                frame.node = Offset(alternative);
                break;
            }
            const char* repeat = Node(frame.node);
            RegRun* run = m_memo ? &m_memo->runs[m_memo->index[frame.node] - 1u] : nullptr;
            if (run != nullptr && frame.pos + 1 == run->failFrom && run->runStart <= frame.pos)
                run->failFrom = frame.pos;
            const std::ptrdiff_t q = NextCandidate(repeat, frame.pos - 1, frame.aux);
            if (q < 0) {
                MarkFailed(frame.node, frame.aux - (RegOp(repeat) == RegPlus ? 1 : 0));
                --m_size;
                continue;
            }
            frame.pos = static_cast<std::int32_t>(q);
            node = RegNext(repeat);
            in = m_bol + q;
            break;
        }
    }
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

    // Tries the program at `at`, as RegMatcher::Try.
    int Try(RegMatcher& matcher, const char* at) const
    {
        const char* in = After(at);
        if (in == nullptr) {
            matcher.ClearSpans();
            return 0;
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
    return matcher.Try(text, start.Rest(), in);
}

// Every match begins with the first character: tried at each of its
// occurrences, from the first one on.
[[gnu::noinline]] int SearchFirstChar(RegProgram* program, const char* text, const char* first)
{
    RegMatcher matcher(program, text);
    const LeadingLiteral start(TryStart(program));
    const char c = program->regstart;
    for (const char* s = first; s != nullptr; s = FindChar(s + 1, c)) {
        if (const int result = start.Try(matcher, s))
            return result;
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
            if (const int result = matcher.Try(s, start, s))
                return result;
        }
        return 0;
    }
    const char* start = TryStart(program);
    do {
        if (const int result = matcher.Try(s, start, s))
            return result;
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

std::size_t RegSetMemoryLimit(std::size_t bytes)
{
    return g_memoryLimit.exchange(bytes);
}

long RegSetMemoAfter(long backtracks)
{
    return g_memoAfter.exchange(backtracks);
}

namespace {

int Search(RegProgram* program, const char* text)
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

} // namespace

int RegExecute(RegProgram* program, const char* text)
{
    if (program != nullptr && RegUndecided(program))
        program->endp[0] = nullptr;
    const int result = Search(program, text);
    if (result == kRegExecuteNoMemory) {
        RegError("out of matcher memory");
        ClearSpans(program);
        program->endp[0] = text;
    }
    return result;
}

bool RegUndecided(const RegProgram* program)
{
    return program->startp[0] == nullptr && program->endp[0] != nullptr;
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
