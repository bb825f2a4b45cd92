// Interned strings and text patterns (regular expressions, number ranges),
// matching Python str and bytes.

#include "Bindings.h"

#include "orvcore/text/RegExpression.h"
#include "orvcore/text/RegNumber.h"
#include "orvcore/text/UniqueString.h"

#include <functional>

using namespace Orvane;

namespace orvpy {

namespace {

typedef Pattern<CString> TextPattern;

// A regular expression that remembers whether it last matched bytes, so that
// its substrings come back as the same type as the text.
class PyRegExpression : public RegExpression
{
public:
    using RegExpression::RegExpression;
    bool m_bytes = false;
};

py::object AsTextOf(const CString& s, bool bytes)
{
    if (bytes)
        return py::bytes(s.GetString(), static_cast<py::size_t>(s.GetLength()));
    return py::cast(s);
}

void BindUniqueString(py::module_& m)
{
    py::class_<UniqueString> u(m, "UniqueString",
                               "A handle to a string stored once per process: handles of equal texts are the same "
                               "string, so comparing them is comparing pointers.");
    u.def(py::init<>(), "The empty string.");
    u.def(py::init<const CString&>(), "text"_a, "The handle of the text (str or bytes).");
    u.def("String", &UniqueString::String, "The text.");
    u.def("__str__", &UniqueString::String);
    u.def("__repr__", [](const UniqueString& s) { return "UniqueString(" + py::repr(py::cast(s.String())).cast<std::string>() + ")"; });
    u.def("__eq__", [](const UniqueString& a, const UniqueString& b) { return a == b; }, py::is_operator());
    u.def("__ne__", [](const UniqueString& a, const UniqueString& b) { return a != b; }, py::is_operator());
    u.def("__hash__", [](const UniqueString& s) { return std::hash<const void*>()(s.StringPtr()); });
    u.def("__len__", [](const UniqueString& s) { return s.String().GetLength(); }, "The text's length in bytes.");
    DefArchiveForm(u);
}

void BindPatterns(py::module_& m)
{
    py::class_<TextPattern> p(m, "Pattern", "A pattern that decides whether a text matches it.");
    p.def(
        "Match", [](TextPattern& pat, const CString& text, bool exact) { return pat.Match(text, exact); }, "text"_a,
        "exact"_a = false,
        "With exact False: the pattern occurs in the text; with exact True: it covers the whole text. The text is "
        "a str (matched as UTF-8) or bytes.");
    p.def("GetFlag", &TextPattern::GetFlag, "The caller's flag given at construction.");

    py::class_<PyRegExpression, TextPattern> r(
        m, "RegExpression",
        "A regular expression: branches separated by '|' or a line feed; pieces are atoms with an optional '*', "
        "'+' or '?'; atoms are '^', '$', '.', (group), [set] and [^set] (with ranges such as a-z), \\< and \\> "
        "(word start and end), \\c (the character c itself: \\d is the letter d) and any other character. "
        "Substrings of the last match come back as the type of the text matched (str or bytes).");
    r.def(py::init<const CString&, bool>(), "pattern"_a, "flag"_a = false, "The expression of the pattern.");
    r.def(
        "Match",
        [](PyRegExpression& re, const py::object& text, bool exact) {
            const bool bytes = PyBytes_Check(text.ptr());
            if (!bytes && !PyUnicode_Check(text.ptr()))
                throw py::type_error("a regular expression matches str or bytes");
            const CString t = text.cast<CString>();
            const bool found = re.Match(t, exact);
            re.m_bytes = bytes;
            return found;
        },
        "text"_a, "exact"_a = false,
        "True when a non-empty match is found (exact False) or the leftmost match is the whole text (exact True).");
    r.def(
        "GetSubstring", [](const PyRegExpression& re, int i) { return AsTextOf(re.GetSubstring(i), re.m_bytes); },
        "index"_a, "Entry 0 is the whole last match, then the groups; empty outside.");
    r.def("GetSubstringCount", &RegExpression::GetSubstringCount, "The number of entries of the last match.");
    r.def(
        "GetSubstrings",
        [](const PyRegExpression& re) {
            py::list out;
            for (int i = 0; i < re.GetSubstringCount(); ++i)
                out.append(AsTextOf(re.GetSubstring(i), re.m_bytes));
            return out;
        },
        "Every entry of the last match, as a list.");
    r.def("GetPattern", &RegExpression::GetPattern, "The pattern's text.");
    r.def("IsValid", &RegExpression::IsValid,
          "True when the expression compiles; one that does not never matches.");
    r.def("IsMatchUndecided", &RegExpression::IsMatchUndecided,
          "True when the last Match could not be decided for want of matcher memory (it returned False).");
    r.def_static("IsRegExpression", &RegExpression::IsRegExpression, "text"_a,
                 "True when the text contains any of the characters *+\\.^[]$&() (not | or ?).");
    r.def("__repr__", [](const PyRegExpression& re) {
        return "RegExpression(" + py::repr(py::cast(re.GetPattern())).cast<std::string>() + ")";
    });

    py::class_<RegNumber, TextPattern> n(m, "RegNumber",
                                         "An integer-range pattern such as 5-10 or -5--1; other text is the single "
                                         "value it starts with.");
    n.def(py::init<const CString&>(), "text"_a, "The range of the text.");
    n.def("GetLowerBound", &RegNumber::GetLowerBound, "The lower bound.");
    n.def("GetUpperBound", &RegNumber::GetUpperBound, "The upper bound.");
    n.def_static("IsRegNumber", &RegNumber::IsRegNumber, "text"_a,
                 "True when the text is a range of two integers without spaces.");
    n.def("__repr__", [](const RegNumber& number) {
        return "RegNumber(" + std::to_string(number.GetLowerBound()) + ", " + std::to_string(number.GetUpperBound()) + ")";
    });
}

} // namespace

void BindText(py::module_& m)
{
    BindUniqueString(m);
    BindPatterns(m);
}

} // namespace orvpy
