// A plugin linked with the library, loaded by LibraryLoadTest after the
// library itself so that the test program stays free of it.
#include "tests/core/LibraryLoadProbe.h"

#include "orvcore/core/ExtensionModule.h"
#include "orvcore/core/LibraryLifecycle.h"
#include "orvcore/graphics/scene/IconLibrary.h"
#include "orvcore/numerics/RandomSequences.h"
#include "orvcore/text/UniqueString.h"

#include <dlfcn.h>

namespace {

int CountLinks(HINSTANCE library, bool& allOfLibrary)
{
    int n = 0;
    for (CDynLinkLibrary* link = AfxGetModuleState()->m_libraryList; link; link = link->m_pNextDLL) {
        ++n;
        allOfLibrary = allOfLibrary && link->m_hModule == library;
    }
    return n;
}

} // namespace

extern "C" __attribute__((visibility("default"))) void ProbeLoadedLibrary(LoadProbeResult& result,
                                                                         UnloadObserver observer)
{
    using namespace Orvane;
    result.firstRandom = RandomInteger::m_defaultGenerator();

    const UniqueString carbon("carbon");
    const UniqueString again(CString("carbon"));
    result.internedOnce = carbon == again && carbon.StringPtr() != &UniqueStringTable::null &&
                          carbon.String() == "carbon";

    Dl_info info = {};
    HINSTANCE library = dladdr(reinterpret_cast<void*>(&AttachCoreDLL), &info) ? info.dli_fbase : nullptr;
    bool allOfLibrary = library != nullptr;
    result.linksAtLoad = CountLinks(library, allOfLibrary);
    AttachCoreDLL();
    result.linksAfterAttach = CountLinks(library, allOfLibrary);
    result.linksNameTheLibrary = allOfLibrary;

    IconLibrary::GetIconIndex().Lookup(CString("ORV.diamond"), result.diamondIcon);

    for (int i = 0; i < LibraryLifecycle::GetNumLoadSteps(); ++i)
        result.loadSteps.push_back(LibraryLifecycle::GetLoadStep(i));
    LibraryLifecycle::SetUnloadObserver(observer);
}
