// The loader of the browser module: the real module starts its runtime, and
// every kind of wrong file beside the program is refused with a reason
// instead of crashing the client.
#include "browser_loader.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string FixturePath(const char* name) {
    return std::string(ZV_FIXTURE_DIR) + "/lib" + name + ".so";
}

class BrowserLoader : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The runtime makes its cache folder in the user's data folder.
        folder_ = fs::temp_directory_path() / ("zv-loader-" + std::to_string(getpid()));
        fs::create_directories(folder_);
        setenv("XDG_DATA_HOME", folder_.c_str(), 1);
    }
    static void TearDownTestSuite() { fs::remove_all(folder_); }
    static inline fs::path folder_;
};

TEST_F(BrowserLoader, TheClientsModuleStartsItsRuntime) {
    zv::LoadedBrowser loaded =
        zv::LoadBrowserModule(std::string(ZV_BIN_DIR) + "/" + zv::browser::kBrowserModuleFile);
    ASSERT_NE(loaded.runtime, nullptr) << loaded.error;
    EXPECT_TRUE(loaded.error.empty());
    EXPECT_TRUE(fs::is_directory(folder_ / "zv.cache")) << "the runtime did not start";
    // Shutting down twice, then destroying, is what the client's exit does.
    loaded.runtime->Shutdown();
    loaded.runtime->Shutdown();
    loaded.runtime.reset();
}

TEST_F(BrowserLoader, RefusesWhatIsNotTheModuleWithAReason) {
    const fs::path text = folder_ / "libzvbrowser.so";
    std::ofstream(text) << "not a library\n";
    struct Case {
        const char* what;
        std::string file;
        const char* reason;  // a part of the error
    } cases[] = {
        {"missing", (folder_ / "absent" / "libzvbrowser.so").string(), "No such file"},
        {"not a library", text.string(), "libzvbrowser.so"},
        {"another library", FixturePath("zv_fixture_no_entry"),
         "is not the client's browser module"},
        {"a stale module", FixturePath("zv_fixture_stale"), "is of version 0, the client needs"},
        {"a runtime that fails", FixturePath("zv_fixture_fails"), "did not start"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const zv::LoadedBrowser loaded = zv::LoadBrowserModule(c.file);
        EXPECT_EQ(loaded.runtime, nullptr);
        EXPECT_NE(loaded.error.find(c.reason), std::string::npos) << loaded.error;
    }
}

}  // namespace
