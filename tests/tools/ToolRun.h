#pragma once

// What the tests of the orvscene tool share: the test data's files, running
// the tool in this process, and reading a file whole.

#include "Orvscene.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace toolrun {

// A file of tests/data (ORVCORE_TEST_DATA names the folder).
inline std::string DataFile(const std::string& name)
{
    const char* dir = std::getenv("ORVCORE_TEST_DATA");
    return std::string(dir ? dir : "tests/data") + "/" + name;
}

// The exit status and what the tool printed.
struct Outcome
{
    int status;
    std::string out, err;
};

inline Outcome RunTool(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = orvscene::Run(args, out, err);
    return {status, out.str(), err.str()};
}

// The file's bytes; empty when it cannot be read.
inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace toolrun
