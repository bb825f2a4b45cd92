#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orvscene {

// Runs the tool on its command-line arguments (without the program name),
// printing the summary to `out` and messages to `err`. Returns the exit
// status: 0 on success, 1 for a usage error, 2 for unreadable or damaged input.
// A caller that ends the process right after (`exiting`) leaves the run's
// large structures to the process's end instead of releasing them.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool exiting = false);

// The usage text.
std::string Usage();

} // namespace orvscene
