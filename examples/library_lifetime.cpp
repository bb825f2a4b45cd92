// The library in a host. When the library is loaded, before any host code
// runs, it constructs its process-wide objects in a fixed order (the point
// constants, the default random generator, the spline tables, the interned
// string table) and attaches itself to the host as an extension module; when
// it is unloaded it destroys them, the last made first. A module ties its own
// functions to its load and unload with EntryFunction, ExitFunction and
// ExitFunctionList objects at namespace scope.
#include "orvcore/OrvCore.h"

#include <cstdio>

using namespace Orvane;

static void Hello() { std::puts("entry function: this module is starting"); }
static void Goodbye() { std::puts("exit function: this module is stopping"); }
static void CloseViews() { std::puts("exit list: close the views"); }
static void SaveSettings() { std::puts("exit list: save the settings"); }

// Called by the library as each of its objects goes at unload.
static void Unloaded(const char* step) { std::printf("library unloaded: %s\n", step); }

static EntryFunction entry(Hello);  // runs now, while this module's statics are made
static ExitFunction exitFunction(Goodbye);
static ExitFunctionList exitList;

int main()
{
    std::puts("main starts; the library was loaded before, in these steps:");
    for (int i = 0; i < LibraryLifecycle::GetNumLoadSteps(); ++i)
        std::printf("  %d. %s\n", i + 1, LibraryLifecycle::GetLoadStep(i));

    // Process-wide objects are ready before any host code runs.
    UniqueString name("CA");
    std::printf("an interned string: %s\n", name.String().GetString());

    // Functions run when the list goes, the last added first.
    exitList.AddFunction(SaveSettings);
    exitList.AddFunction(CloseViews);

    LibraryLifecycle::SetUnloadObserver(Unloaded);
    std::puts("main returns");
    std::fflush(stdout);
    return 0;
}
