#include "Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace orvscene {

namespace {

// The length of the valid UTF-8 sequence starting at text[i], or 0.
std::size_t Utf8Sequence(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80)
        return 1;
    std::size_t n;
    unsigned low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            low = 0xA0; // no overlong forms
        if (c == 0xED)
            high = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            low = 0x90;
        if (c == 0xF4)
            high = 0x8F; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned b = byte(i + k);
        const unsigned lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
        if (b < lo || b > hi)
            return 0;
    }
    return n;
}

} // namespace

bool IsValidUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8Sequence(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::string ToUtf8(const std::string& text)
{
    if (IsValidUtf8(text))
        return text;
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8Sequence(text, i);
        if (n) {
            out.append(text, i, n);
            i += n;
        } else {
            const unsigned char c = static_cast<unsigned char>(text[i++]);
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

// Printable ASCII that a JSON string holds as it is (and that may sit in a script).
bool Plain(const std::string& text)
{
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\' || c == '<')
            return false;
    }
    return true;
}

} // namespace

void AppendJsonString(std::string& out, const std::string& raw)
{
    out += '"';
    if (Plain(raw)) {
        out += raw;
        out += '"';
        return;
    }
    const std::string text = ToUtf8(raw);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == '<' || c == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
                    static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
            out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

std::string JsonString(const std::string& text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

// to_chars prints what printf's "%.*f" does (the exact value, correctly
// rounded), without the format parsing and the locale.
void AppendJsonFixed(std::string& out, double value, int digits)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::isfinite(value) ? value : 0.0,
                                   std::chars_format::fixed, digits);
    if (end.ec == std::errc())
        out.append(buffer, end.ptr);
    else
        out += JsonFixed(value, digits); // too long for the buffer
}

void AppendInteger(std::string& out, long long value)
{
    char buffer[24];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::string JsonFixed(double value, int digits)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, std::isfinite(value) ? value : 0.0);
    return buffer;
}

std::string JsonNumber(double value, int significant)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", significant, std::isfinite(value) ? value : 0.0);
    return buffer;
}

void JsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_levels.empty()) {
        if (!m_levels.back().empty)
            m_text += ", ";
        m_levels.back().empty = false;
    }
}

JsonWriter& JsonWriter::BeginObject()
{
    BeforeValue();
    m_text += '{';
    m_levels.push_back({true, true});
    return *this;
}

JsonWriter& JsonWriter::EndObject()
{
    const bool top = m_levels.size() == 1, empty = m_levels.back().empty;
    m_levels.pop_back();
    if (m_break && top && !empty)
        m_text += '\n';
    m_text += '}';
    return *this;
}

JsonWriter& JsonWriter::BeginArray()
{
    BeforeValue();
    m_text += '[';
    m_levels.push_back({false, true});
    return *this;
}

JsonWriter& JsonWriter::EndArray()
{
    m_levels.pop_back();
    m_text += ']';
    return *this;
}

JsonWriter& JsonWriter::Key(const std::string& key)
{
    Level& level = m_levels.back();
    if (m_break && m_levels.size() == 1) {
        m_text += level.empty ? "\n  " : ",\n  ";
    } else if (!level.empty) {
        m_text += ", ";
    }
    level.empty = false;
    m_text += JsonString(key) + ": ";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& value)
{
    BeforeValue();
    AppendJsonString(m_text, value);
    return *this;
}

JsonWriter& JsonWriter::Int(long long value)
{
    BeforeValue();
    AppendInteger(m_text, value);
    return *this;
}

JsonWriter& JsonWriter::Fixed(double value, int digits)
{
    BeforeValue();
    AppendJsonFixed(m_text, value, digits);
    return *this;
}

JsonWriter& JsonWriter::Number(double value, int significant)
{
    BeforeValue();
    m_text += JsonNumber(value, significant);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value)
{
    BeforeValue();
    m_text += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null()
{
    BeforeValue();
    m_text += "null";
    return *this;
}

JsonWriter& JsonWriter::Raw(const std::string& json)
{
    BeforeValue();
    m_text += json;
    return *this;
}

} // namespace orvscene
