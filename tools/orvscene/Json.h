#pragma once

#include <string>
#include <vector>

namespace orvscene {

// Text for every output (JSON, glTF, SVG, HTML) is UTF-8. Structure files are
// mostly ASCII; where a name holds bytes that do not form valid UTF-8, each
// such byte is taken as Latin-1 and converted. Valid UTF-8 passes unchanged.
std::string ToUtf8(const std::string& text);
bool IsValidUtf8(const std::string& text);

// `text` as a JSON string literal, quotes included: converted to UTF-8,
// quotes, backslashes and control characters escaped, and "<", U+2028 and
// U+2029 escaped too so that the literal can sit inside an HTML script.
std::string JsonString(const std::string& text);

// Numbers as the outputs print them: fixed with `digits` decimals, or with
// `significant` significant digits ("%.6g"). JSON has no NaN or infinity;
// a non-finite value is written as 0.
std::string JsonFixed(double value, int digits);
std::string JsonNumber(double value, int significant = 6);

// The same texts appended to `out`, for writers of long arrays.
void AppendJsonString(std::string& out, const std::string& text);
void AppendJsonFixed(std::string& out, double value, int digits);
void AppendInteger(std::string& out, long long value);

// Builds one JSON text. Commas and colons are placed by the writer; a
// writer made with `breakTopLevel` starts each member of the outermost
// object on its own line, indented by two spaces (the summary's layout).
//
//     JsonWriter json;
//     json.BeginObject();
//     json.Key("atoms").Int(12);
//     json.Key("centroid").BeginArray().Fixed(1.5, 4).Fixed(0, 4).Fixed(-2, 4).EndArray();
//     json.EndObject();
//     std::string text = json.Text(); // {"atoms": 12, "centroid": [1.5000, 0.0000, -2.0000]}
class JsonWriter
{
public:
    explicit JsonWriter(bool breakTopLevel = false) : m_break(breakTopLevel) {}

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(const std::string& key);
    JsonWriter& String(const std::string& value);
    JsonWriter& Int(long long value);
    JsonWriter& Fixed(double value, int digits);
    JsonWriter& Number(double value, int significant = 6);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    // A value already in JSON form (another writer's Text()).
    JsonWriter& Raw(const std::string& json);

    const std::string& Text() const { return m_text; }

private:
    void BeforeValue();
    struct Level {
        bool object;
        bool empty;
    };
    std::string m_text;
    std::vector<Level> m_levels;
    bool m_afterKey = false;
    bool m_break;
};

} // namespace orvscene
