#include <gtest/gtest.h>

#include "host/drop_paths.h"

namespace {

TEST(DroppedFiles, LocalFileUrisBecomePathsInDropOrder) {
    std::string longName = "file:///" + std::string(1100, 'a');
    std::string limit = "file:///" + std::string(1022, 'b');  // "/" + 1022 = 1023 bytes
    auto paths = HostWin::DroppedPaths({"file:///home/u/a%20b.mp4", "http://example.invalid/x.mp4",
                                        "file:///tmp/%E8%A7%86%E9%A2%91.mp4", "not a uri", longName,
                                        limit, "file:///"});
    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(paths[0], "/home/u/a b.mp4");
    EXPECT_EQ(paths[1], "/tmp/视频.mp4");
    EXPECT_EQ(paths[2].size(), 1023u) << "the longest path kept";
    EXPECT_EQ(paths[3], "/");
    EXPECT_TRUE(HostWin::DroppedPaths({}).empty());
}

}  // namespace
