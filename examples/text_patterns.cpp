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

    // Patterns: a selection "C*" of atom names and "5-10" of residue numbers.
    std::vector<std::unique_ptr<Pattern<CString>>> patterns;
    for (const char* text : {"^C.*", "^O$", "5-10"}) {
        if (RegNumber::IsRegNumber(text))
            patterns.emplace_back(new RegNumber(text));
        else
            patterns.emplace_back(new RegExpression(text, false));
    }
    const char* texts[] = {"^C.*", "^O$", "5-10"};
    for (const char* name : {"CA", "CB", "O", "OG", "7", "12"}) {
        std::cout << name << " matches";
        int matches = 0;
        for (std::size_t i = 0; i < patterns.size(); ++i)
            if (patterns[i]->Match(name, false))
                std::cout << (matches++ ? ", " : " ") << texts[i];
        std::cout << (matches ? "" : " nothing") << "\n";
    }

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
