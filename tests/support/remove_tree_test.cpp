// RemoveTree on real folders: what goes, what a link inside must not take
// along, and folders whose modes would stop a plain recursive delete.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "support/process.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

void Write(const std::string& path, const std::string& text = "x") {
    std::ofstream(path, std::ios::binary) << text;
    ASSERT_TRUE(Exists(path)) << path;
}

void Folder(const std::string& path) {
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path;
}

class RemoveTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = zvtest::MakeTempFolder("zv-remove-tree-");
        outside_ = root_ + "/outside";
        target_ = root_ + "/target";
        Folder(outside_);
        Write(outside_ + "/keep.txt", "keep");
        Folder(target_);
    }
    void TearDown() override { zvtest::RemoveTree(root_); }
    void ExpectOutsideIntact() {
        EXPECT_TRUE(Exists(outside_ + "/keep.txt"));
        std::ifstream in(outside_ + "/keep.txt");
        std::string text;
        in >> text;
        EXPECT_EQ(text, "keep");
    }
    std::string root_, outside_, target_;
};

TEST_F(RemoveTreeTest, RemovesNestedFilesFoldersAndHiddenEntries) {
    Folder(target_ + "/a");
    Folder(target_ + "/a/b");
    Folder(target_ + "/a/b/empty");
    Write(target_ + "/a/b/deep.bin", std::string("\0\1\2", 3));
    Write(target_ + "/.hidden");
    Write(target_ + "/name with spaces 'and quotes'");
    ASSERT_EQ(mkfifo((target_ + "/fifo").c_str(), 0644), 0);
    EXPECT_TRUE(zvtest::RemoveTree(target_));
    EXPECT_FALSE(Exists(target_));
    ExpectOutsideIntact();
}

TEST_F(RemoveTreeTest, ManyEntriesAllGo) {
    for (int i = 0; i < 2000; ++i) {
        Write(target_ + "/f" + std::to_string(i));
    }
    EXPECT_TRUE(zvtest::RemoveTree(target_));
    EXPECT_FALSE(Exists(target_));
}

TEST_F(RemoveTreeTest, LinksInsideAreRemovedNotFollowed) {
    ASSERT_EQ(symlink(outside_.c_str(), (target_ + "/to-folder").c_str()), 0);
    ASSERT_EQ(symlink((outside_ + "/keep.txt").c_str(), (target_ + "/to-file").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/zv", (target_ + "/dangling").c_str()), 0);
    Folder(target_ + "/sub");
    ASSERT_EQ(symlink("..", (target_ + "/sub/up").c_str()), 0);
    EXPECT_TRUE(zvtest::RemoveTree(target_));
    EXPECT_FALSE(Exists(target_));
    ExpectOutsideIntact();
}

TEST_F(RemoveTreeTest, ThePathItselfBeingALinkRemovesOnlyTheLink) {
    const std::string link = root_ + "/link";
    // With a trailing slash the system would resolve the link.
    for (const std::string& spelling : {link + "/", link + "//", link}) {
        ASSERT_EQ(symlink(outside_.c_str(), link.c_str()), 0);
        EXPECT_TRUE(zvtest::RemoveTree(spelling)) << spelling;
        EXPECT_FALSE(Exists(link)) << spelling;
        ExpectOutsideIntact();
    }
}

TEST_F(RemoveTreeTest, FoldersWithoutWriteOrReadPermissionAreOpenedUpAndRemoved) {
    struct Case {
        const char* name;
        mode_t mode;
    };
    for (const Case& c : {Case{"read-only", 0500}, Case{"unreadable", 0000},
                          Case{"search-only", 0100}, Case{"write-only", 0300}}) {
        const std::string folder = target_ + "/" + c.name;
        Folder(folder);
        Write(folder + "/inside");
        Folder(folder + "/nested");
        Write(folder + "/nested/deeper");
        ASSERT_EQ(chmod((folder + "/nested").c_str(), c.mode), 0);
        ASSERT_EQ(chmod(folder.c_str(), c.mode), 0);
    }
    ASSERT_EQ(chmod(target_.c_str(), 0500), 0);
    EXPECT_TRUE(zvtest::RemoveTree(target_));
    EXPECT_FALSE(Exists(target_));
}

TEST_F(RemoveTreeTest, FilesMissingPathsAndEmptyInput) {
    const std::string file = root_ + "/file";
    Write(file);
    EXPECT_TRUE(zvtest::RemoveTree(file));
    EXPECT_FALSE(Exists(file));
    EXPECT_TRUE(zvtest::RemoveTree(root_ + "/never-there"));
    EXPECT_TRUE(zvtest::RemoveTree(root_ + "/never-there/below"));
    EXPECT_FALSE(zvtest::RemoveTree(""));
    ExpectOutsideIntact();
}

}  // namespace
