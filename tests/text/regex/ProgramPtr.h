#pragma once

// Compiled programs owned by the regex tests: RegCompile allocates a program
// with malloc, and its owner releases it with free.

#include "orvcore/text/regex/RegProgram.h"

#include <cstdlib>
#include <memory>
#include <string>

struct ProgramDeleter
{
    void operator()(Orvane::RegProgram* p) const { std::free(p); }
};
using ProgramPtr = std::unique_ptr<Orvane::RegProgram, ProgramDeleter>;

inline ProgramPtr Compile(const std::string& pattern)
{
    return ProgramPtr(Orvane::RegCompile(pattern.c_str()));
}
