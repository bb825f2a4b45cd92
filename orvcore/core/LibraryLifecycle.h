#pragma once

#include "orvcore/Export.h"
/// \file
/// LibraryLifecycle and AttachCoreDLL: what the library does when loaded and unloaded.

namespace Orvane {

/// What the library does when it is loaded into a process and unloaded from
/// it, as the host can follow it. Loading sets the framework's registrations
/// aside, constructs the process-wide objects in their fixed order (see
/// LoadOrder.h), initialises the library as an extension module and attaches
/// it (AttachCoreDLL); unloading destroys the objects last made first.
/// Interned strings and every other process-wide object are gone after unload.
///
/// \threadsafety{Its steps run while the library loads and unloads, under the loader's lock. The
/// observer is process-wide: set it before other threads use the library.}
class ORVCORE_API LibraryLifecycle
{
public:
    /// A function told the name of a step.
    typedef void (*Observer)(const char* step);

    /// The steps taken while the library was loaded, in order.
    static int GetNumLoadSteps();
    /// The name of a load step; null outside 0..GetNumLoadSteps()-1.
    static const char* GetLoadStep(int index);

    /// Has `observer` called with the name of each process-wide object right
    /// after it is destroyed at unload; null stops it. The names are the
    /// library's own text and go with it: an observer copies them.
    static void SetUnloadObserver(Observer observer);
};

} // namespace Orvane

/// Links the library into the process-wide chain of extension modules, once
/// more for each call; the links belong to the chain. The library calls it
/// once when it is loaded; other modules may call it as well.
ORVCORE_API void AttachCoreDLL();
