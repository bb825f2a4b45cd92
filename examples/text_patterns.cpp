// Text: conversions that accept whole texts or leave their target alone,
// tokenising, patterns that select names (regular expressions) or numbers
// (integer ranges) behind one interface, and interned strings compared by
// identity.
#include "orvcore/OrvCore.h"

#include <iostream>
#include <memory>
#include <vector>

using namespace Orvane;

int main()
{
    std::cout << std::boolalpha;

    // Conversions: true and the value for a whole text, false otherwise.
    bool flag = false;
    int number = -1;
    Point3d point;
    std::cout << "\"yes\" is a boolean: " << StringUtils::StringToBoolean("yes", flag) << " -> " << flag << "\n";
    std::cout << "\"12abc\" is an integer: " << StringUtils::StringToInteger("12abc", number)
              << ", number stays " << number << "\n";
    std::cout << "\"1.5 -2 3e1\" is a point: " << StringUtils::StringToPoint("1.5 -2 3e1", point) << " -> "
              << point << "\n";

    // Tokenising consumes the source from the front.
    CString line("ATOM  CA  ALA A 1");
    std::cout << "tokens:";
    for (CString token = StringUtils::Parse(line); token.GetLength() > 0; token = StringUtils::Parse(line))
        std::cout << " [" << token << "]";
    std::cout << "\n";

    // Patterns: atom names selected by regular expressions, residue numbers
    // by ranges or single numbers. IsRegNumber is true for ranges only, so a
    // single number is recognised with StringToInteger: read as an
    // expression, "17" would match 117 as well.
    std::vector<std::unique_ptr<Pattern<CString>>> patterns;
    const char* texts[] = {"^C.*", "^O$", "5-10", "17"};
    for (const char* text : texts) {
        int value = 0;
        if (RegNumber::IsRegNumber(text) || StringUtils::StringToInteger(text, value))
            patterns.emplace_back(new RegNumber(text));
        else
            patterns.emplace_back(new RegExpression(text, false));
    }
    for (const char* name : {"CA", "CB", "O", "OG", "7", "17", "117"}) {
        std::cout << name << " matches";
        int matches = 0;
        for (std::size_t i = 0; i < patterns.size(); ++i)
            if (patterns[i]->Match(name, false))
                std::cout << (matches++ ? ", " : " ") << texts[i];
        std::cout << (matches ? "" : " nothing") << "\n";
    }

    // Exact means the whole text for an expression (its leftmost match, not
    // its longest) and both bounds for a number; an expression that does not
    // compile never matches, and IsValid says so.
    RegExpression either("C|CA", false);
    RegNumber range("5-10");
    std::cout << "C|CA exactly matches CA: " << either.Match("CA", true) << "; CA|C: "
              << RegExpression("CA|C", false).Match("CA", true) << "\n";
    std::cout << "5-10 exactly matches 7: " << range.Match("7", true) << "; 7: " << RegNumber("7").Match("7", true)
              << "\n";
    std::cout << "(CA is valid: " << RegExpression("(CA", false).IsValid() << "; [A-C]\\d is valid: "
              << RegExpression("[A-C]\\d", false).IsValid() << "\n";
    std::cout << "\"CA|CB\" looks like an expression: " << RegExpression::IsRegExpression("CA|CB") << "\n";

    // A regular expression keeps the groups of its last match.
    RegExpression residue("([A-Z]+)([0-9]+)", false);
    if (residue.Match("HIS42", true))
        std::cout << "HIS42: name " << residue.GetSubstring(1) << ", number " << residue.GetSubstring(2) << "\n";

    // Interned strings: equal texts share one stored copy, so comparing two
    // handles compares two pointers.
    CString joined("C");
    joined += "A";
    UniqueString a("CA"), b(joined), c("CB");
    std::cout << "\"CA\" == \"C\"+\"A\": " << (a == b ? "same string" : "different") << "; \"CA\" == \"CB\": "
              << (a == c ? "same string" : "different") << "\n";
    return 0;
}
