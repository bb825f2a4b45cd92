// Loads the shared library into this process, which is not linked with it,
// and unloads it again: the process-wide objects must be ready when dlopen
// returns and must go, last made first, when dlclose unloads the library.
#include "tests/core/LibraryLoadProbe.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>

namespace {

std::vector<std::string> unloaded;

void RecordUnload(const char* step)
{
    unloaded.emplace_back(step);
}

} // namespace

TEST(LibraryLoad, ObjectsReadyAtLoadAndDestroyedInReverseAtUnload)
{
    const char* path = std::getenv("ORVCORE_LIBRARY");
    ASSERT_NE(path, nullptr) << "ORVCORE_LIBRARY names the built library";
    ASSERT_EQ(dlopen(path, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the library must not be loaded yet";

    const std::vector<std::string> loadSteps = {
        "framework registrations set aside", "Point2d constants", "Point3d constants",
        "RandomInteger::m_defaultGenerator", "Spline::m_alpha", "UniqueString::m_table",
        "UniqueStringTable::null", "module initialized", "attached"};
    // The icon registry, made after loading, goes first.
    const std::vector<std::string> unloadSteps = {
        "IconLibrary::m_pIconIndex", "IconLibrary::m_pIconDefinitions", "UniqueStringTable::null", "UniqueString::m_table", "Spline::m_alpha",
        "RandomInteger::m_defaultGenerator", "extension-module links"};

    // The second round shows that unloading left nothing behind: the
    // library starts over exactly as the first time.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        unloaded.clear();
        void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
        void* plugin = dlopen(ORVCORE_LOAD_PROBE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(plugin, nullptr) << dlerror();
        auto probe = reinterpret_cast<LoadProbe>(dlsym(plugin, "ProbeLoadedLibrary"));
        ASSERT_NE(probe, nullptr);

        LoadProbeResult result;
        probe(result, RecordUnload);
        EXPECT_EQ(result.firstRandom, 16838);
        EXPECT_TRUE(result.internedOnce);
        EXPECT_EQ(result.linksAtLoad, 1);
        EXPECT_EQ(result.linksAfterAttach, 2);
        EXPECT_TRUE(result.linksNameTheLibrary);
        EXPECT_EQ(result.diamondIcon, 4u);
        EXPECT_EQ(result.loadSteps, loadSteps);

        EXPECT_EQ(dlclose(plugin), 0);
        EXPECT_TRUE(unloaded.empty());
        EXPECT_EQ(dlclose(library), 0);
        EXPECT_EQ(dlopen(path, RTLD_NOW | RTLD_NOLOAD), nullptr) << "dlclose must unload the library";
        EXPECT_EQ(unloaded, unloadSteps);
    }
}
