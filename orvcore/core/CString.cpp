#include "orvcore/core/CString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <vector>

namespace {

bool IsSpace(char ch)
{
    return std::isspace(static_cast<unsigned char>(ch)) != 0;
}

int Clamp(int value, int low, int high)
{
    return std::max(low, std::min(value, high));
}

} // namespace

CString::CString(const char* text) : m_text(text ? text : "") {}

CString::CString(const char* text, int length)
{
    if (text && length > 0)
        m_text.assign(text, static_cast<std::size_t>(length));
}

CString::CString(char ch, int repeat)
{
    if (repeat > 0)
        m_text.assign(static_cast<std::size_t>(repeat), ch);
}

CString& CString::operator=(const char* text)
{
    m_text = text ? text : "";
    return *this;
}

CString& CString::operator=(char ch)
{
    m_text.assign(1, ch);
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    m_text += other.m_text;
    return *this;
}

CString& CString::operator+=(const char* text)
{
    if (text)
        m_text += text;
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_text += ch;
    return *this;
}

int CString::Compare(const char* text) const
{
    return std::strcmp(m_text.c_str(), text ? text : "");
}

int CString::CompareNoCase(const char* text) const
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(m_text.c_str());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text ? text : "");
    for (;; ++a, ++b) {
        int ca = std::tolower(*a);
        int cb = std::tolower(*b);
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

CString CString::Mid(int first) const
{
    first = Clamp(first, 0, GetLength());
    return Mid(first, GetLength() - first);
}

CString CString::Mid(int first, int count) const
{
    int length = GetLength();
    first = Clamp(first, 0, length);
    count = Clamp(count, 0, length - first);
    return CString(m_text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::Left(int count) const
{
    return CString(m_text.substr(0, static_cast<std::size_t>(Clamp(count, 0, GetLength()))));
}

CString CString::Right(int count) const
{
    int length = GetLength();
    count = Clamp(count, 0, length);
    return CString(m_text.substr(static_cast<std::size_t>(length - count)));
}

CString CString::SpanIncluding(const char* set) const
{
    std::size_t n = m_text.find_first_not_of(set ? set : "");
    return CString(m_text.substr(0, n));
}

CString CString::SpanExcluding(const char* set) const
{
    std::size_t n = m_text.find_first_of(set ? set : "");
    return CString(m_text.substr(0, n));
}

void CString::MakeUpper()
{
    for (char& ch : m_text)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
}

void CString::MakeLower()
{
    for (char& ch : m_text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
}

void CString::MakeReverse()
{
    std::reverse(m_text.begin(), m_text.end());
}

int CString::Replace(char oldCh, char newCh)
{
    int count = 0;
    for (char& ch : m_text) {
        if (ch == oldCh) {
            ch = newCh;
            ++count;
        }
    }
    return count;
}

int CString::Replace(const char* oldText, const char* newText)
{
    std::size_t oldLength = oldText ? std::strlen(oldText) : 0;
    if (oldLength == 0)
        return 0;
    std::string replacement = newText ? newText : "";
    std::string result;
    int count = 0;
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = m_text.find(oldText, pos, oldLength);
        if (hit == std::string::npos)
            break;
        result.append(m_text, pos, hit - pos);
        result += replacement;
        pos = hit + oldLength;
        ++count;
    }
    if (count) {
        result.append(m_text, pos, std::string::npos);
        m_text.swap(result);
    }
    return count;
}

int CString::Remove(char ch)
{
    std::size_t before = m_text.size();
    m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
    return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, char ch)
{
    index = Clamp(index, 0, GetLength());
    m_text.insert(static_cast<std::size_t>(index), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const char* text)
{
    index = Clamp(index, 0, GetLength());
    if (text)
        m_text.insert(static_cast<std::size_t>(index), text);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    int length = GetLength();
    if (index < 0)
        index = 0;
    if (count > 0 && index < length)
        m_text.erase(static_cast<std::size_t>(index), static_cast<std::size_t>(std::min(count, length - index)));
    return GetLength();
}

void CString::TrimLeft()
{
    std::size_t n = 0;
    while (n < m_text.size() && IsSpace(m_text[n]))
        ++n;
    m_text.erase(0, n);
}

void CString::TrimLeft(char target)
{
    std::size_t n = m_text.find_first_not_of(target);
    m_text.erase(0, n);
}

void CString::TrimLeft(const char* targets)
{
    std::size_t n = m_text.find_first_not_of(targets ? targets : "");
    m_text.erase(0, n);
}

void CString::TrimRight()
{
    std::size_t n = m_text.size();
    while (n > 0 && IsSpace(m_text[n - 1]))
        --n;
    m_text.resize(n);
}

void CString::TrimRight(char target)
{
    std::size_t n = m_text.find_last_not_of(target);
    m_text.resize(n == std::string::npos ? 0 : n + 1);
}

void CString::TrimRight(const char* targets)
{
    std::size_t n = m_text.find_last_not_of(targets ? targets : "");
    m_text.resize(n == std::string::npos ? 0 : n + 1);
}

int CString::Find(char ch, int start) const
{
    if (start < 0)
        start = 0;
    if (start >= GetLength())
        return -1;
    std::size_t hit = m_text.find(ch, static_cast<std::size_t>(start));
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

int CString::Find(const char* sub, int start) const
{
    if (start < 0)
        start = 0;
    if (!sub || start > GetLength())
        return -1;
    std::size_t hit = m_text.find(sub, static_cast<std::size_t>(start));
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

int CString::ReverseFind(char ch) const
{
    std::size_t hit = m_text.rfind(ch);
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

int CString::FindOneOf(const char* set) const
{
    if (!set || !*set)
        return -1;
    std::size_t hit = m_text.find_first_of(set);
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args)
{
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) {
        m_text.clear();
        return;
    }
    if (static_cast<std::size_t>(needed) < sizeof small) {
        m_text.assign(small, static_cast<std::size_t>(needed));
        return;
    }
    std::vector<char> large(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(large.data(), large.size(), format, args);
    m_text.assign(large.data(), static_cast<std::size_t>(needed));
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength())
        m_text.resize(static_cast<std::size_t>(minLength), '\0');
    return &m_text[0];
}

char* CString::GetBufferSetLength(int length)
{
    m_text.resize(static_cast<std::size_t>(std::max(length, 0)), '\0');
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0)
        newLength = static_cast<int>(std::strlen(m_text.c_str()));
    m_text.resize(static_cast<std::size_t>(std::min(newLength, GetLength())));
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, const char* b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const char* a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(char a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

std::ostream& operator<<(std::ostream& os, const CString& s)
{
    return os << s.str();
}
