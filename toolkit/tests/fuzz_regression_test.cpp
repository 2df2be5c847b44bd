// Replays every kept fuzz input (seeds and past crashes) through the same
// entry points the fuzz targets use.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz_entries.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::pair<std::string, std::vector<uint8_t>>> Inputs(const std::string& kind) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> out;
    for (const auto& e : fs::directory_iterator(fs::path(ZUDOZ_FUZZ_CORPUS) / kind)) {
        std::ifstream in(e.path(), std::ios::binary);
        out.emplace_back(e.path().filename().string(),
                         std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()));
    }
    return out;
}

TEST(FuzzRegressions, PackageInputsKeepTheReaderInsideTheFile) {
    auto inputs = Inputs("package");
    ASSERT_GE(inputs.size(), 3u);
    for (const auto& [name, bytes] : inputs) {
        EXPECT_EQ(fuzz::PackageOne(bytes.data(), bytes.size()), 0) << name;
    }
}

TEST(FuzzRegressions, WindowInputsBuildConsistentNameMaps) {
    testing_support::RegistryReset reset;
    auto inputs = Inputs("window");
    ASSERT_GE(inputs.size(), 1u);
    for (const auto& [name, bytes] : inputs) {
        EXPECT_EQ(fuzz::WindowXmlOne(bytes.data(), bytes.size()), 0) << name;
    }
}

}  // namespace
