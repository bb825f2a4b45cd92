#pragma once

#include <string>

namespace orvscene {

// Texts the build embeds for the interactive page: the page's template and
// script (tools/orvscene/web) and three.js with its orbit controls from the
// installed npm packages. When the packages were missing at configure time,
// HaveThree() is false and the module texts are empty.
namespace WebAssets {

bool HaveThree();
const std::string& ThreeCore();     // three's core module
const std::string& ThreeModule();   // three's main module; imports its core as "three/core"
const std::string& OrbitControls(); // imports "three"
const std::string& PageTemplate();  // HTML with {{IMPORTMAP}}, {{HEADER}}, {{DATA}} and {{SCRIPT}}
const std::string& PageScript();    // the page's module script

} // namespace WebAssets

} // namespace orvscene
