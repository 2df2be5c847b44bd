// The Debian package as a person installs it: built with CPack from this
// build, unpacked into a scratch root; its files where the client and the
// desktop look for them, its dependencies declared, nothing of the build
// folder left in the programs, and the unpacked client up to its login
// window on an X server of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/process.h"
#include "support/ui_driver.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DebPackage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new std::string(zvtest::MakeTempFolder("zv-deb-"));
        const zvtest::CommandResult built =
            zvtest::RunCommand({"cpack", "--config", ZV_CPACK_CONFIG, "-B", *folder_}, 240);
        log_ = new std::string(built.output);
        for (const auto& e : fs::directory_iterator(*folder_)) {
            if (e.path().extension() == ".deb") {
                deb_ = new std::string(e.path().string());
            }
        }
        if (deb_) {
            root_ = new std::string(*folder_ + "/root");
            zvtest::RunCommand({"dpkg-deb", "-x", *deb_, *root_});
        }
    }
    static void TearDownTestSuite() {
        if (folder_ && !std::getenv("ZV_KEEP_TEST_FILES")) {
            zvtest::RemoveTree(*folder_);
        }
        for (std::string* s : {folder_, log_, deb_, root_}) {
            delete s;
        }
        folder_ = log_ = deb_ = root_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(deb_, nullptr) << "cpack made no package:\n" << *log_; }

    static std::string Field(const std::string& name) {
        return zvtest::RunCommand({"dpkg-deb", "-f", *deb_, name}).output;
    }

    static inline std::string* folder_ = nullptr;
    static inline std::string* log_ = nullptr;
    static inline std::string* deb_ = nullptr;
    static inline std::string* root_ = nullptr;
};

TEST_F(DebPackage, HoldsTheClientItsPartsTheUpdaterAndTheDesktopEntry) {
    const fs::path root(*root_);
    struct Entry {
        const char* path;
        bool executable;
    } entries[] = {
        {"opt/zelvio/bin/Zelvio", true},
        {"opt/zelvio/bin/Zelvio.dat", false},
        {"opt/zelvio/bin/libZudoz.so", false},
        {"opt/zelvio/bin/libzvbrowser.so", false},
        {"opt/zelvio/bin/webext/libzvwebext.so", false},
        {"opt/zelvio/ZvUpdator/zvupdate", true},
        {"usr/bin/zelvio", true},
        {"usr/share/applications/zelvio.desktop", false},
        {"usr/share/icons/hicolor/256x256/apps/zelvio.png", false},
    };
    for (const auto& e : entries) {
        SCOPED_TRACE(e.path);
        const fs::path p = root / e.path;
        ASSERT_TRUE(fs::is_regular_file(p));
        EXPECT_GT(fs::file_size(p), 0u);
        const bool x = (fs::status(p).permissions() & fs::perms::owner_exec) != fs::perms::none;
        EXPECT_EQ(x, e.executable);
    }
    EXPECT_NE(Read(root / "usr/bin/zelvio").find("exec /opt/zelvio/bin/Zelvio"), std::string::npos);
    const std::string desktop = Read(root / "usr/share/applications/zelvio.desktop");
    EXPECT_NE(desktop.find("\nExec=zelvio\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nIcon=zelvio\n"), std::string::npos) << desktop;
}

TEST_F(DebPackage, DeclaresWhatItNeedsAndKeepsNoBuildPaths) {
    EXPECT_EQ(Field("Package"), "zelvio\n");
    EXPECT_EQ(Field("Architecture"), "amd64\n");
    const std::string depends = Field("Depends");
    for (const char* needed : {"libobs0", "obs-studio", "libwebkit2gtk-4.1-0", "libgtk-3-0",
                               "libcurl4", "libjsoncpp25", "libtinyxml2-9", "fonts-noto-cjk"}) {
        EXPECT_NE(depends.find(needed), std::string::npos) << needed << " in " << depends;
    }
    // The client finds its toolkit beside itself, wherever it is unpacked.
    const zvtest::CommandResult dynamic =
        zvtest::RunCommand({"readelf", "-d", *root_ + "/opt/zelvio/bin/Zelvio"});
    EXPECT_NE(dynamic.output.find("[$ORIGIN]"), std::string::npos) << dynamic.output;
    EXPECT_EQ(dynamic.output.find(fs::path(ZV_CPACK_CONFIG).parent_path().string()),
              std::string::npos)
        << "a build path is left in the program";
}

TEST_F(DebPackage, CarriesItsCopyrightChangelogAndManualPage) {
    const fs::path root(*root_);
    const std::string copyright = Read(root / "usr/share/doc/zelvio/copyright");
    EXPECT_EQ(copyright.rfind(
                  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/", 0),
              0u);
    EXPECT_NE(copyright.find("License: GPL-2+"), std::string::npos);
    // The changelog and the manual page are compressed without a name or a
    // time stamp, and say what they must.
    const zvtest::CommandResult changelog =
        zvtest::RunCommand({"gzip", "-dc", (root / "usr/share/doc/zelvio/changelog.gz").string()});
    EXPECT_EQ(changelog.exitCode, 0) << changelog.output;
    std::string version = Field("Version");
    version.pop_back();  // the newline
    EXPECT_EQ(changelog.output.rfind("zelvio (" + version + ")", 0), 0u) << changelog.output;
    const zvtest::CommandResult manual = zvtest::RunCommand(
        {"man", "-l", "-P", "cat", (root / "usr/share/man/man1/zelvio.1.gz").string()});
    EXPECT_EQ(manual.exitCode, 0) << manual.output;
    for (const char* part :
         {"NAME", "SYNOPSIS", "ENVIRONMENT", "ZELVIO_API_HOST", "ZELVIO_TRACE", "registry.ini"}) {
        EXPECT_NE(manual.output.find(part), std::string::npos) << part;
    }
    const std::string description = Field("Description");
    EXPECT_EQ(description.rfind("Desktop live-streaming broadcaster\n", 0), 0u) << description;
    std::istringstream lines(description);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 80u) << line;
    }
}

// What a distribution's reviewer runs: no error and no warning but the
// intended install under /opt.
TEST_F(DebPackage, LintianFindsNothingButTheFolderInOpt) {
    const zvtest::CommandResult lintian = zvtest::RunCommand(
        {"lintian", "--no-tag-display-limit", "--suppress-tags", "dir-or-file-in-opt", *deb_}, 240);
    ASSERT_NE(lintian.exitCode, -1) << lintian.output;
    std::istringstream lines(lintian.output);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_NE(line.rfind("E: ", 0), 0u) << line;
        EXPECT_NE(line.rfind("W: ", 0), 0u) << line;
    }
    EXPECT_EQ(lintian.exitCode, 0) << lintian.output;
}

TEST_F(DebPackage, TheUnpackedClientComesUpToItsLoginWindow) {
    zvtest::OwnDisplay display;
    if (!display.problem().empty()) {
        GTEST_SKIP() << display.problem();
    }
    const std::string home = *folder_ + "/home";
    fs::create_directories(home + "/work");
    zvtest::InspectedProgram client({.argv = {*root_ + "/opt/zelvio/bin/Zelvio"},
                                     .env = {{"DISPLAY", display.name()},
                                             {"XDG_CONFIG_HOME", home + "/config"},
                                             {"XDG_DATA_HOME", home + "/data"},
                                             {"XDG_CACHE_HOME", home + "/cache"}},
                                     .workingFolder = home + "/work"});
    ASSERT_TRUE(client.started());
    EXPECT_TRUE(client.waitShown("w.login", 20000)) << client.log();
    EXPECT_TRUE(client.messageBoxes().empty()) << client.messageBoxes().toStyledString();
    client.stop();
}

}  // namespace
