#include "orvcore/text/RegExpression.h"

#include "orvcore/text/regex/RegProgram.h"

#include <cstdlib>

namespace Orvane {

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
    if (text.IsEmpty() || !RegExecute(m_program, text)) {
        m_substrings.RemoveAll();
        return false;
    }

    const int count = RegGroupCount(m_program);
    m_substrings.SetSize(count);
    for (int n = 0; n < count; ++n)
        m_substrings[n] = CString(m_program->startp[n], RegGroupLength(m_program, n));
    return count > 0 && (!exact || text == m_substrings[0]);
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
