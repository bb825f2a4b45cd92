#pragma once

#include <string>

namespace orvscene {

// What the scene needs to know of a chemical element.
struct ElementInfo {
    const char* symbol;
    double covalentRadius; // angstrom
    double vdwRadius;      // angstrom
    unsigned char r, g, b; // display colour
};

// The element's entry; unknown symbols get a neutral entry with symbol "?".
const ElementInfo& LookupElement(const std::string& symbol);

} // namespace orvscene
