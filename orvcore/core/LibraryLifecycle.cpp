#include "orvcore/core/LibraryLifecycle.h"

#include "orvcore/core/EntryExitFunctions.h"
#include "orvcore/core/ExtensionModule.h"
#include "orvcore/core/LoadOrder.h"

#include <dlfcn.h>

namespace {

// The library's own record as an extension module.
AFX_EXTENSION_MODULE s_coreModule = {};

} // namespace

namespace Orvane {

namespace {

// Plain data, set before any step runs.
constexpr int maxLoadSteps = 32;
const char* s_loadSteps[maxLoadSteps] = {};
int s_numLoadSteps = 0;
LibraryLifecycle::Observer s_unloadObserver = nullptr;

HINSTANCE LibraryBase()
{
    Dl_info info = {};
    if (!dladdr(reinterpret_cast<const void*>(&s_coreModule), &info))
        return nullptr;
    return info.dli_fbase;
}

constexpr char kRegistrationsSetAside[] = "framework registrations set aside";
constexpr char kModuleLinks[] = "extension-module links";
constexpr char kPoint2dConstants[] = "Point2d constants";
constexpr char kPoint3dConstants[] = "Point3d constants";
constexpr char kDefaultGenerator[] = "RandomInteger::m_defaultGenerator";
constexpr char kSplineTables[] = "Spline::m_alpha";
constexpr char kStringTable[] = "UniqueString::m_table";
constexpr char kNullString[] = "UniqueStringTable::null";
constexpr char kModuleInitialized[] = "module initialized";
constexpr char kModuleFailed[] = "module initialization failed";
constexpr char kAttached[] = "attached";

template <const char* step>
void NoteLoaded()
{
    NoteLoadStep(step);
}

template <const char* step>
void NoteUnloaded()
{
    NoteUnloadStep(step);
}

void SetAsideRegistrations()
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    state->m_pClassInit = state->m_classList;
    state->m_pFactoryInit = state->m_factoryList;
    state->m_classList = nullptr;
    state->m_factoryList = nullptr;
    NoteLoaded<kRegistrationsSetAside>();
}

// The chain of module links lives in this library, so it goes with it.
void ReleaseModuleLinks()
{
    AfxReleaseDynLinkLibraries();
    NoteUnloaded<kModuleLinks>();
}

void InitializeModule()
{
    if (!AfxInitExtensionModule(s_coreModule, LibraryBase())) {
        NoteLoaded<kModuleFailed>();
        return;
    }
    NoteLoaded<kModuleInitialized>();
    AttachCoreDLL();
    NoteLoaded<kAttached>();
}

} // namespace

// The load steps as they run. Each process-wide object is defined in its own
// file at its step; the records here sit next to it: its load step just
// after it, and, for an object with a destructor, its unload step just
// before it, so that the exit list runs that entry right after the object's
// destructor.
#define ORVCORE_JUST_BEFORE(step) __attribute__((init_priority(static_cast<int>(LoadOrder::step) - 1)))
#define ORVCORE_JUST_AFTER(step) __attribute__((init_priority(static_cast<int>(LoadOrder::step) + 1)))

namespace {

// First in the exit list, so the last entry to run at unload.
ExitFunction s_releaseModuleLinks ORVCORE_LOAD_ORDER(SetAsideRegistrations)(ReleaseModuleLinks);
EntryFunction s_setAsideRegistrations ORVCORE_LOAD_ORDER(SetAsideRegistrations)(SetAsideRegistrations);

EntryFunction s_point2dMade ORVCORE_JUST_AFTER(Point2dConstants)(NoteLoaded<kPoint2dConstants>);

EntryFunction s_point3dMade ORVCORE_JUST_AFTER(Point3dConstants)(NoteLoaded<kPoint3dConstants>);

ExitFunction s_generatorGone ORVCORE_JUST_BEFORE(DefaultRandomGenerator)(NoteUnloaded<kDefaultGenerator>);
EntryFunction s_generatorMade ORVCORE_JUST_AFTER(DefaultRandomGenerator)(NoteLoaded<kDefaultGenerator>);

ExitFunction s_splineTablesGone ORVCORE_JUST_BEFORE(SplineTables)(NoteUnloaded<kSplineTables>);
EntryFunction s_splineTablesMade ORVCORE_JUST_AFTER(SplineTables)(NoteLoaded<kSplineTables>);

ExitFunction s_stringTableGone ORVCORE_JUST_BEFORE(UniqueStringTable)(NoteUnloaded<kStringTable>);
EntryFunction s_stringTableMade ORVCORE_JUST_AFTER(UniqueStringTable)(NoteLoaded<kStringTable>);

ExitFunction s_nullStringGone ORVCORE_JUST_BEFORE(UniqueStringNull)(NoteUnloaded<kNullString>);
EntryFunction s_nullStringMade ORVCORE_JUST_AFTER(UniqueStringNull)(NoteLoaded<kNullString>);

EntryFunction s_initializeModule ORVCORE_LOAD_ORDER(InitializeModule)(InitializeModule);

} // namespace

int LibraryLifecycle::GetNumLoadSteps()
{
    return s_numLoadSteps;
}

const char* LibraryLifecycle::GetLoadStep(int index)
{
    return index >= 0 && index < s_numLoadSteps ? s_loadSteps[index] : nullptr;
}

void LibraryLifecycle::SetUnloadObserver(Observer observer)
{
    s_unloadObserver = observer;
}

void NoteLoadStep(const char* step)
{
    if (step && s_numLoadSteps < maxLoadSteps)
        s_loadSteps[s_numLoadSteps++] = step;
}

void NoteUnloadStep(const char* step)
{
    if (step && s_unloadObserver)
        s_unloadObserver(step);
}

} // namespace Orvane

void AttachCoreDLL()
{
    new CDynLinkLibrary(s_coreModule);
}
