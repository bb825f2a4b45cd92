#pragma once

#include <stdexcept>
#include <string>

namespace orvscene {

// The one way the tool reports a failure: what went wrong, where (a file and
// a 1-based line, or an item of it such as a CIF tag), and the exit status it
// ends the run with (2 for input and output, 1 for a usage error). Run()
// catches it once and prints "orvscene: FILE:LINE: REASON".
class Error : public std::runtime_error
{
public:
    // `line` 0 leaves the line out of the message; `item` (if any) follows the
    // file, "file.cif: _atom_site.Cartn_x row 12: ...".
    Error(const std::string& file, long line, const std::string& reason, int status = 2);
    Error(const std::string& file, const std::string& item, const std::string& reason, int status = 2);

    std::string file;
    long line = 0;
    std::string item;
    std::string reason;
    int status = 2;
};

} // namespace orvscene
