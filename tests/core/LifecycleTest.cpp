#include "orvcore/core/EntryExitFunctions.h"
#include "orvcore/core/ExtensionModule.h"
#include "orvcore/core/LibraryLifecycle.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

std::vector<std::string> calls;
void F() { calls.push_back("f"); }
void G() { calls.push_back("g"); }
void H() { calls.push_back("h"); }

int CountLinks()
{
    int n = 0;
    for (CDynLinkLibrary* link = AfxGetModuleState()->m_libraryList; link; link = link->m_pNextDLL)
        ++n;
    return n;
}

// The load address of the library this program was linked with, as the
// dynamic loader reports it.
void* LinkedLibraryBase()
{
    const char* path = std::getenv("ORVCORE_LIBRARY");
    if (!path)
        return nullptr;
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    link_map* map = nullptr;
    void* base = dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 ? reinterpret_cast<void*>(map->l_addr) : nullptr;
    dlclose(handle);
    return base;
}

} // namespace

TEST(EntryExitFunctions, RunAtConstructionAndDestruction)
{
    calls.clear();
    { EntryFunction nothing(nullptr); }
    { ExitFunction nothing(nullptr); }
    EXPECT_TRUE(calls.empty());

    {
        EntryFunction entry(F);
        EXPECT_EQ(calls, std::vector<std::string>{"f"});
        ExitFunction exit(G);
        EXPECT_EQ(calls, std::vector<std::string>{"f"});
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"f", "g"}));
}

TEST(EntryExitFunctions, ListRunsLastAddedFirstAndSkipsNull)
{
    calls.clear();
    {
        ExitFunctionList list;
        list.AddFunction(F);
        list.AddFunction(nullptr);
        list.AddFunction(G);
        list.AddFunction(H);
        list.AddFunction(F);
        EXPECT_TRUE(calls.empty());
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"f", "h", "g", "f"}));
}

TEST(ExtensionModule, InitialisingTakesWhatWasRegisteredSinceTheListsWereSetAside)
{
    AFX_MODULE_STATE* state = AfxGetModuleState();
    CRuntimeClass hostClass = {"HostView", nullptr};
    CRuntimeClass hostFactory = {"HostDocument", nullptr};
    CRuntimeClass moduleClass = {"ModuleView", nullptr};
    state->m_classList = &hostClass;
    state->m_factoryList = &hostFactory;

    // The module starts: the host's lists are set aside, its own collected.
    state->m_pClassInit = state->m_classList;
    state->m_pFactoryInit = state->m_factoryList;
    state->m_classList = &moduleClass;
    state->m_factoryList = nullptr;

    AFX_EXTENSION_MODULE module = {};
    int marker = 0;
    EXPECT_FALSE(AfxInitExtensionModule(module, nullptr));
    EXPECT_FALSE(module.bInitialized);
    ASSERT_TRUE(AfxInitExtensionModule(module, &marker));
    EXPECT_TRUE(module.bInitialized);
    EXPECT_EQ(module.hModule, &marker);
    EXPECT_EQ(module.pFirstSharedClass, &moduleClass);
    EXPECT_EQ(module.pFirstSharedFactory, nullptr);
    EXPECT_EQ(state->m_classList, &hostClass);
    EXPECT_EQ(state->m_factoryList, &hostFactory);
    EXPECT_EQ(state->m_pClassInit, nullptr);
    EXPECT_EQ(state->m_pFactoryInit, nullptr);

    // A second call keeps the first record.
    int other = 0;
    EXPECT_TRUE(AfxInitExtensionModule(module, &other));
    EXPECT_EQ(module.hModule, &marker);
    EXPECT_EQ(module.pFirstSharedClass, &moduleClass);
    state->m_classList = nullptr;
    state->m_factoryList = nullptr;

    // Links are appended to the chain and taken out wherever they stand.
    const int before = CountLinks();
    CDynLinkLibrary* first = new CDynLinkLibrary(module);
    CDynLinkLibrary* second = new CDynLinkLibrary(module);
    EXPECT_EQ(CountLinks(), before + 2);
    EXPECT_EQ(first->m_pNextDLL, second);
    EXPECT_EQ(first->m_hModule, &marker);
    EXPECT_EQ(first->m_classList, &moduleClass);
    delete first;
    EXPECT_EQ(CountLinks(), before + 1);
    EXPECT_EQ(second->m_pNextDLL, nullptr);
    delete second;
    EXPECT_EQ(CountLinks(), before);
}

TEST(LibraryLifecycle, LoadRanEveryStepInOrderAndAttachedOnce)
{
    const std::vector<std::string> expected = {
        "framework registrations set aside", "Point2d constants", "Point3d constants",
        "RandomInteger::m_defaultGenerator", "Spline::m_alpha", "UniqueString::m_table",
        "UniqueStringTable::null", "module initialized", "attached"};
    std::vector<std::string> steps;
    for (int i = 0; i < LibraryLifecycle::GetNumLoadSteps(); ++i)
        steps.push_back(LibraryLifecycle::GetLoadStep(i));
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(LibraryLifecycle::GetLoadStep(-1), nullptr);
    EXPECT_EQ(LibraryLifecycle::GetLoadStep(LibraryLifecycle::GetNumLoadSteps()), nullptr);

    void* base = LinkedLibraryBase();
    ASSERT_NE(base, nullptr);
    CDynLinkLibrary* link = AfxGetModuleState()->m_libraryList;
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_hModule, base);
    EXPECT_EQ(link->m_pNextDLL, nullptr);

    // Another module attaching the library links it once more.
    AttachCoreDLL();
    ASSERT_NE(link->m_pNextDLL, nullptr);
    EXPECT_EQ(link->m_pNextDLL->m_hModule, base);
    EXPECT_EQ(CountLinks(), 2);
}
