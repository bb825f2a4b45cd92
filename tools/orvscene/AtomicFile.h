#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace orvscene {

// Writes a file through `write` into a temporary name beside it and renames
// it into place only when writing succeeded; returns false (and removes the
// temporary) otherwise, with the reason in `error`.
bool WriteFileAtomically(const std::string& path, const std::function<bool(const std::string& tempPath)>& write,
                         std::string& error);

} // namespace orvscene
