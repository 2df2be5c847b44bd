// Folders, temporary files and the per-user "Version" value. The test runs
// with XDG_CONFIG_HOME pointing into the build tree (set by CTest).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/temp_file.h"
#include "support/process.h"

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST(Paths, JoinPathUsesExactlyOneSlash) {
    EXPECT_EQ(zv::JoinPath("a", "b"), "a/b");
    EXPECT_EQ(zv::JoinPath("a/", "b"), "a/b");
    EXPECT_EQ(zv::JoinPath("a", "/b"), "a/b");
    EXPECT_EQ(zv::JoinPath("a/", "/b"), "a/b");
    EXPECT_EQ(zv::JoinPath("", "b"), "b");
    EXPECT_EQ(zv::JoinPath("a", ""), "a");
}

TEST(Paths, ExecutableFolderHoldsThisTest) {
    const std::string exe = zv::ExecutablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.front(), '/');
    EXPECT_EQ(zv::ExecutableFolder() + "/files_test", exe);
}

TEST(Paths, EnsureFolderMakesParentsAndRefusesFiles) {
    const std::string base =
        zv::JoinPath(zv::TempFolder(), "zvtest-folders-" + std::to_string(getpid()));
    const std::string deep = base + "/x/y/z";
    EXPECT_TRUE(zv::EnsureFolder(deep));
    EXPECT_TRUE(zv::EnsureFolder(deep));  // existing is fine
    WriteFile(base + "/file", "x");
    EXPECT_FALSE(zv::EnsureFolder(base + "/file"));
    EXPECT_FALSE(zv::EnsureFolder(""));
    zvtest::RemoveTree(base);
}

TEST(TempFile, UniqueEmptyFilesWithPrefixAndSuffix) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        auto path = zv::MakeTempFile("zvtr", ".png");
        ASSERT_TRUE(path.has_value());
        EXPECT_TRUE(seen.insert(*path).second) << *path;
        const std::string name = path->substr(path->rfind('/') + 1);
        EXPECT_EQ(name.rfind("zvtr", 0), 0u);
        EXPECT_EQ(name.substr(name.size() - 4), ".png");
        struct stat info {};
        ASSERT_EQ(stat(path->c_str(), &info), 0);
        EXPECT_EQ(info.st_size, 0);
    }
    for (const auto& p : seen) {
        unlink(p.c_str());
    }
}

TEST(TempFile, NamedFilesAreCreatedNewAndNeverWrittenThroughAnExistingName) {
    const std::string name = "zvtest-named-" + std::to_string(getpid());
    const std::string path = zv::JoinPath(zv::TempFolder(), name);
    const std::string link = path + ".link";
    unlink(path.c_str());
    unlink(link.c_str());
    bool taken = true;
    auto made = zv::WriteNewTempFile(name, {'a', 'b', 'c'}, &taken);
    ASSERT_TRUE(made.has_value());
    EXPECT_EQ(*made, path);
    EXPECT_FALSE(taken);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 3);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the folder is shared: only the owner reads it";

    EXPECT_FALSE(zv::WriteNewTempFile(name, {'x'}, &taken).has_value());
    EXPECT_TRUE(taken) << "an existing name is reported, so callers can pick another";
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 3) << "the existing file is left as it was";

    // A planted link to the existing file is not followed.
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    EXPECT_FALSE(zv::WriteNewTempFile(name + ".link", {'x', 'y'}, &taken).has_value());
    EXPECT_TRUE(taken);
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 3);

    for (const char* bad : {"", ".", "..", "a/b", "../escape"}) {
        taken = true;
        EXPECT_FALSE(zv::WriteNewTempFile(bad, {'x'}, &taken).has_value()) << bad;
        EXPECT_FALSE(taken) << bad;
    }
    unlink(link.c_str());
    unlink(path.c_str());
}

TEST(TempFile, FailsCleanlyInMissingFolder) {
    EXPECT_FALSE(zv::MakeTempFile("no-such-folder-zv/x").has_value());
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = zv::RegistryFilePath();
        unlink(path_.c_str());
    }
    void TearDown() override { unlink(path_.c_str()); }
    std::string path_;
};

TEST_F(Registry, FileLivesUnderConfigFolder) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(config, nullptr) << "CTest sets XDG_CONFIG_HOME";
    EXPECT_EQ(path_, std::string(config) + "/Zelvio/registry.ini");
}

TEST_F(Registry, MissingFileGroupOrKeyIsMissingValue) {
    EXPECT_FALSE(zv::ReadRegistryValue("Version").has_value());
    EXPECT_EQ(zv::ReadInstalledVersion(), "");
    zv::EnsureFolder(path_.substr(0, path_.rfind('/')));
    WriteFile(path_, "[Other]\nVersion=9\n");
    EXPECT_EQ(zv::ReadInstalledVersion(), "");
    WriteFile(path_, "[Software\\Zelvio]\nOther=1\n");
    EXPECT_EQ(zv::ReadInstalledVersion(), "");
}

TEST_F(Registry, ReadsTheDocumentedTwoLineFile) {
    zv::EnsureFolder(path_.substr(0, path_.rfind('/')));
    WriteFile(path_, "[Software\\Zelvio]\nVersion=2.0.1\n");
    EXPECT_EQ(zv::ReadInstalledVersion(), "2.0.1");
}

TEST_F(Registry, WriteCreatesFolderAndKeepsOtherValues) {
    ASSERT_TRUE(zv::WriteRegistryValue("Other", "kept"));
    ASSERT_TRUE(zv::WriteRegistryValue("Version", "3.1 beta&x"));
    EXPECT_EQ(zv::ReadInstalledVersion(), "3.1 beta&x");
    EXPECT_EQ(zv::ReadRegistryValue("Other").value_or(""), "kept");
}

TEST_F(Registry, VersionIsCutAt64Bytes) {
    ASSERT_TRUE(zv::WriteRegistryValue("Version", std::string(100, '7')));
    EXPECT_EQ(zv::ReadInstalledVersion(), std::string(64, '7'));
}

TEST_F(Registry, GarbageFileIsMissingValue) {
    zv::EnsureFolder(path_.substr(0, path_.rfind('/')));
    WriteFile(path_, std::string("\0\xff[[[=\n", 7));
    EXPECT_EQ(zv::ReadInstalledVersion(), "");
}
