#include "restore_tokens.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

#include "support/process.h"

namespace zv::screencast {
namespace {

class RestoreTokensTest : public ::testing::Test {
protected:
    void SetUp() override { root_ = zvtest::MakeTempFolder("zv-tokens-"); }
    void TearDown() override { zvtest::RemoveTree(root_); }
    std::string root_;
};

TEST_F(RestoreTokensTest, EachKindKeepsItsOwnTokenAcrossInstances) {
    const RestoreTokens tokens(root_ + "/config/Zelvio");  // made on the first save
    EXPECT_EQ(tokens.Load(CaptureKind::kDesktop), "");
    ASSERT_TRUE(tokens.Save(CaptureKind::kDesktop, "desk-1"));
    ASSERT_TRUE(tokens.Save(CaptureKind::kWindow, "win-1"));
    ASSERT_TRUE(tokens.Save(CaptureKind::kDesktop, "desk-2"));  // replaced whole

    const RestoreTokens again(root_ + "/config/Zelvio");
    EXPECT_EQ(again.Load(CaptureKind::kDesktop), "desk-2");
    EXPECT_EQ(again.Load(CaptureKind::kWindow), "win-1");
    struct stat st {};
    ASSERT_EQ(stat(again.PathFor(CaptureKind::kDesktop).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // a permission to film the screen

    again.Forget(CaptureKind::kDesktop);
    EXPECT_EQ(again.Load(CaptureKind::kDesktop), "");
    EXPECT_EQ(again.Load(CaptureKind::kWindow), "win-1");
}

TEST_F(RestoreTokensTest, DamagedFilesAndBadTokensAreNeverHandedOn) {
    const RestoreTokens tokens(root_);
    EXPECT_FALSE(tokens.Save(CaptureKind::kDesktop, ""));
    EXPECT_FALSE(tokens.Save(CaptureKind::kDesktop, "has space"));
    for (const std::string& content : {std::string("\x01\x02garbage"), std::string(2000, 'x'),
                                       std::string(""), std::string("two words\n")}) {
        std::ofstream(tokens.PathFor(CaptureKind::kDesktop), std::ios::trunc) << content;
        EXPECT_EQ(tokens.Load(CaptureKind::kDesktop), "") << content.substr(0, 20);
    }
    // A folder where the file should be: nothing loads, saving fails cleanly.
    const RestoreTokens blocked(root_ + "/file-not-folder");
    std::ofstream(root_ + "/file-not-folder") << "x";
    EXPECT_FALSE(blocked.Save(CaptureKind::kWindow, "tok"));
    EXPECT_EQ(blocked.Load(CaptureKind::kWindow), "");
}

}  // namespace
}  // namespace zv::screencast
