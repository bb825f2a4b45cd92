#include "AtomicFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <functional>
#include <fstream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvscene;

namespace {

// A fresh directory, removed with its files at the end of the test.
class Folder
{
public:
    Folder()
    {
        char name[] = "/tmp/atomicfile-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~Folder()
    {
        for (const std::string& f : Files())
            if (std::remove((path + "/" + f).c_str()) != 0)
                ::rmdir((path + "/" + f).c_str());
        ::rmdir(path.c_str());
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(path.c_str())) {
            while (dirent* e = ::readdir(dir))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    names.push_back(e->d_name);
            ::closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string path;
};

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::function<void(std::ostream&)> Text(const std::string& text)
{
    return [text](std::ostream& out) { out << text; };
}

} // namespace

TEST(AtomicFileSet, FilesAppearTogetherOnCommit)
{
    Folder dir;
    std::ofstream(dir / "b.doc") << "old b";
    AtomicFileSet files;
    std::string error;
    ASSERT_TRUE(files.Write(dir / "a.svg", Text("<svg/>"), error)) << error;
    ASSERT_TRUE(files.WriteTo(dir / "b.doc",
                              [](const std::string& temp, std::string&) {
                                  std::ofstream(temp, std::ios::binary) << "new b";
                                  return true;
                              },
                              error))
        << error;
    // Nothing is in place before the commit.
    EXPECT_EQ(Contents(dir / "b.doc"), "old b");
    EXPECT_FALSE(std::ifstream(dir / "a.svg").good());
    ASSERT_TRUE(files.Commit(error)) << error;
    EXPECT_EQ(Contents(dir / "a.svg"), "<svg/>");
    EXPECT_EQ(Contents(dir / "b.doc"), "new b");
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"a.svg", "b.doc"}));
    EXPECT_EQ(files.Size(), 0u);
}

TEST(AtomicFileSet, AFailureLeavesEveryPathAsItWas)
{
    Folder dir;
    std::ofstream(dir / "kept.svg") << "earlier picture";
    std::string error;
    {
        // The second output cannot be created: the first is dropped with it.
        AtomicFileSet files;
        ASSERT_TRUE(files.Write(dir / "kept.svg", Text("new picture"), error));
        EXPECT_FALSE(files.Write(dir / "missing/x.doc", Text("x"), error));
        EXPECT_NE(error.find(dir / "missing/x.doc"), std::string::npos) << error;
        EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    }
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"kept.svg"});
    EXPECT_EQ(Contents(dir / "kept.svg"), "earlier picture");

    // The last rename fails (the path is a directory): the files renamed
    // before it are put back, the earlier one restored, the new one removed.
    // (A directory named at Write is refused there; this one appears after.)
    AtomicFileSet files;
    error.clear();
    ASSERT_TRUE(files.Write(dir / "kept.svg", Text("new picture"), error));
    ASSERT_TRUE(files.Write(dir / "fresh.html", Text("<html/>"), error));
    ASSERT_TRUE(files.Write(dir / "taken", Text("doc"), error));
    ASSERT_EQ(::mkdir((dir / "taken").c_str(), 0755), 0);
    EXPECT_FALSE(files.Commit(error));
    EXPECT_NE(error.find(dir / "taken"), std::string::npos) << error;
    EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"kept.svg", "taken"}));
    EXPECT_EQ(Contents(dir / "kept.svg"), "earlier picture");
}

TEST(AtomicFileSet, RefusesAPathTwiceAndCleansUpAfterAThrowingWriter)
{
    Folder dir;
    std::string error;
    {
        AtomicFileSet files;
        ASSERT_TRUE(files.Write(dir / "same", Text("1"), error));
        EXPECT_FALSE(files.Write(dir / "same", Text("2"), error));
        EXPECT_NE(error.find("given for two outputs"), std::string::npos) << error;
        EXPECT_THROW(files.Write(dir / "other", [](std::ostream&) { throw std::runtime_error("boom"); }, error),
                     std::runtime_error);
        EXPECT_EQ(files.Size(), 1u);
        // A writer's own reason is completed with the path.
        error.clear();
        EXPECT_FALSE(files.WriteTo(dir / "third", [](const std::string&, std::string& e) {
            e = "no room";
            return false;
        }, error));
        EXPECT_EQ(error, dir / "third" + ": no room");
    } // destroyed without a commit
    EXPECT_TRUE(dir.Files().empty());
}
