#pragma once

#include <string>
#include <vector>

// What the load probe finds in a freshly loaded library, before anything
// else of the host has touched it.
struct LoadProbeResult
{
    int firstRandom = -1;             // the default generator's first number
    bool internedOnce = false;        // equal texts intern to one stored string
    int linksAtLoad = -1;             // the module chain as loading left it
    int linksAfterAttach = -1;        // ... and after one more AttachCoreDLL
    bool linksNameTheLibrary = false; // every link carries the library's address
    unsigned int diamondIcon = 0;     // the icon registry, made on first use
    std::vector<std::string> loadSteps;
};

typedef void (*UnloadObserver)(const char* step);
typedef void (*LoadProbe)(LoadProbeResult& result, UnloadObserver observer);
