#include "orvcore/text/RegExpression.h"

#include "orvcore/text/regex/RegProgram.h"

#include <cstddef>
#include <cstdlib>

namespace Orvane {

namespace {

// Copies the spans of the last execution into the list: the whole match, then
// the groups up to the first empty or unset one. The list keeps its size when
// the count is unchanged, and short spans, names above all, are appended into
// the entries' own storage rather than built as new strings and moved in.
constexpr std::ptrdiff_t kShortSubstring = 15;

[[gnu::noinline]] int RecordSubstrings(RegProgram* program, CStringArray& substrings)
{
    int count = 0;
    while (count < kRegSpanCount && program->startp[count] != nullptr && program->endp[count] != nullptr &&
           program->endp[count] > program->startp[count])
        ++count;
    if (substrings.GetSize() != count)
        substrings.SetSize(count);
    for (int n = 0; n < count; ++n) {
        const char* start = program->startp[n];
        const char* end = program->endp[n];
        CString& target = substrings[n];
        if (end - start > kShortSubstring) {
            target = CString(start, static_cast<int>(end - start));
            continue;
        }
        target.Empty();
        for (; start < end; ++start)
            target += *start;
    }
    return count;
}

} // namespace

RegExpression::RegExpression(const CString& pattern, bool flag) : Pattern<CString>(flag), m_pattern(pattern)
{
    m_pattern.TrimLeft();
    m_pattern.TrimRight();
    if (!m_pattern.IsEmpty() && m_pattern[0] == '*')
        m_pattern.Insert(0, '.');
}

RegExpression::RegExpression(const RegExpression& other)
    : Pattern<CString>(other), m_pattern(other.m_pattern), m_substrings(other.m_substrings)
{
}

RegExpression& RegExpression::operator=(const RegExpression& other)
{
    if (this == &other)
        return *this;
    ReleaseProgram();
    Pattern<CString>::operator=(other);
    m_pattern = other.m_pattern;
    m_substrings.Copy(other.m_substrings);
    return *this;
}

RegExpression::~RegExpression()
{
    ReleaseProgram();
}

void RegExpression::ReleaseProgram()
{
    std::free(m_program);
    m_program = nullptr;
}

Pattern<CString>* RegExpression::Copy() const
{
    return new RegExpression(*this);
}

bool RegExpression::Match(const CString& text, bool exact)
{
    if (text.IsEmpty() && m_pattern == ".*")
        return true;
    if (m_program == nullptr) {
        m_program = RegCompile(m_pattern);
        if (m_program == nullptr)
            return false;
    }
    const char* subject = text;
    if (text.IsEmpty()) {
        if (RegUndecided(m_program))
            m_program->endp[0] = nullptr; // this Match is decided
        m_substrings.RemoveAll();
        return false;
    }
    if (RegExecute(m_program, subject) != 1) {
        m_substrings.RemoveAll();
        return false;
    }
    const int count = RecordSubstrings(m_program, m_substrings);
    // The leftmost match lies inside the text, so it equals the text exactly
    // when it starts there and is as long.
    return count > 0 &&
           (!exact || (m_program->startp[0] == subject && m_substrings[0].GetLength() == text.GetLength()));
}

bool RegExpression::IsValid() const
{
    if (m_program != nullptr)
        return true;
    RegProgram* program = RegCompile(m_pattern);
    const bool valid = program != nullptr;
    std::free(program);
    return valid;
}

bool RegExpression::IsMatchUndecided() const
{
    return m_program != nullptr && RegUndecided(m_program);
}

CString RegExpression::GetSubstring(int index) const
{
    if (index < 0 || index >= m_substrings.GetSize())
        return CString();
    return m_substrings[index];
}

int RegExpression::GetSubstringCount() const
{
    return m_substrings.GetSize();
}

bool RegExpression::IsRegExpression(const CString& text)
{
    return text.FindOneOf("*+\\.^[]$&()") >= 0;
}

} // namespace Orvane
