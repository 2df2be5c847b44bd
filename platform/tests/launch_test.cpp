#include "platform/launch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/paths.h"
#include "support/process.h"

namespace {

std::string ReadWhenPresent(const std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        if (!text.str().empty() && text.str().back() == '\n') {
            return text.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
}

class Launch : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = zv::JoinPath(zv::TempFolder(), "zvtest-launch-" + std::to_string(getpid()));
        ASSERT_TRUE(zv::EnsureFolder(folder_));
        opener_ = folder_ + "/opener.sh";
        std::ofstream(opener_) << "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"" << folder_
                               << "/opened\"\n";
        chmod(opener_.c_str(), 0755);
    }
    void TearDown() override {
        unsetenv("ZELVIO_OPENER");
        zvtest::RemoveTree(folder_);
    }
    std::string folder_;
    std::string opener_;
};

}  // namespace

TEST_F(Launch, SpawnPassesArgumentsVerbatim) {
    const std::string out = folder_ + "/args";
    ASSERT_TRUE(zv::SpawnProgram(
        "/bin/sh", {"-c", "printf '%s|%s\\n' \"$0\" \"$1\" > " + out, "a b", "直播 & more"}));
    EXPECT_EQ(ReadWhenPresent(out), "a b|直播 & more\n");
}

TEST_F(Launch, SpawnOfMissingProgramFails) {
    EXPECT_FALSE(zv::SpawnProgram(folder_ + "/does-not-exist"));
}

TEST_F(Launch, OpenerReceivesUriOrPlainPath) {
    setenv("ZELVIO_OPENER", opener_.c_str(), 1);
    ASSERT_TRUE(zv::OpenUri("http://127.0.0.1:1/forgetpwd"));
    EXPECT_EQ(ReadWhenPresent(folder_ + "/opened"), "http://127.0.0.1:1/forgetpwd\n");
    unlink((folder_ + "/opened").c_str());
    ASSERT_TRUE(zv::OpenFile(folder_ + "/setup 2.0.exe"));
    EXPECT_EQ(ReadWhenPresent(folder_ + "/opened"), folder_ + "/setup 2.0.exe\n");
}
