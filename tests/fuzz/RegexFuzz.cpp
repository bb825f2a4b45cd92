// Compiles random patterns and runs them on random texts. The input is the
// pattern, a NUL byte, then the text. Besides the sanitizers' checks, every
// match must describe spans inside the text, give the same answer and spans
// with the failure memo on from the start, and agree with the pattern
// classes built on the engine.

#include "orvcore/text/RegExpression.h"
#include "orvcore/text/regex/RegProgram.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace Orvane;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckSpans(RegProgram* program, const std::string& text)
{
    const char* begin = text.c_str();
    const char* end = begin + std::strlen(begin);
    Check(program->startp[0] != nullptr && program->endp[0] != nullptr);
    for (int n = 0; n < kRegSpanCount; ++n) {
        const char* s = program->startp[n];
        const char* e = program->endp[n];
        Check((s == nullptr) == (e == nullptr));
        if (s == nullptr)
            continue;
        Check(begin <= s && s <= e && e <= end);
    }
    const int count = RegGroupCount(program);
    Check(count >= 0 && count <= kRegSpanCount);
    char buffer[64];
    for (int n = 0; n < count; ++n) {
        const int length = RegGroupLength(program, n);
        char* copy = RegCopyGroup(program, n, buffer, static_cast<int>(sizeof buffer) - 1);
        Check((copy != nullptr) == (length < static_cast<int>(sizeof buffer)));
        if (copy != nullptr)
            Check(std::memcmp(copy, program->startp[n], static_cast<std::size_t>(length)) == 0 &&
                  copy[length] == '\0');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(bytes, '\0', size);
    const std::size_t patternLength = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes) : size;
    const std::string pattern(bytes, patternLength);
    const std::string text = patternLength < size ? std::string(bytes + patternLength + 1, size - patternLength - 1)
                                                  : std::string();

    RegProgram* program = RegCompile(pattern.c_str());
    if (program != nullptr) {
        Check(static_cast<unsigned char>(RegProgramBytes(program)[0]) == kRegMagic);
        const int matched = RegExecute(program, text.c_str());
        Check(matched == 0 || matched == 1);
        if (matched)
            CheckSpans(program, text);
        // Remembering failures from the first backtrack on changes neither
        // the answer nor any span.
        const char* starts[kRegSpanCount];
        const char* ends[kRegSpanCount];
        std::memcpy(starts, program->startp, sizeof starts);
        std::memcpy(ends, program->endp, sizeof ends);
        const long previous = RegSetMemoAfter(0);
        Check(RegExecute(program, text.c_str()) == matched);
        RegSetMemoAfter(previous);
        if (matched)
            Check(std::memcmp(starts, program->startp, sizeof starts) == 0 &&
                  std::memcmp(ends, program->endp, sizeof ends) == 0);
        std::free(program);
    }

    // The pattern class agrees with the engine: an exact match is the whole text.
    RegExpression expression(pattern.c_str(), false);
    const CString subject(text.c_str());
    if (expression.Match(subject, true) && !subject.IsEmpty())
        Check(expression.GetSubstringCount() > 0 && expression.GetSubstring(0) == subject);
    if (expression.Match(subject, false))
        Check(expression.GetSubstringCount() > 0 || subject.IsEmpty());
    RegExpression::IsRegExpression(pattern.c_str());
    return 0;
}
