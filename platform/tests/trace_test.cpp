// Runs with ZELVIO_TRACE set (by CTest) so lines are written.
#include "platform/trace.h"

#include <gtest/gtest.h>

#include <string>

TEST(Trace, LineEndsWithNewlineAndIsCutAt1024Bytes) {
    ASSERT_TRUE(zv::TraceEnabled());
    testing::internal::CaptureStderr();
    ZV_TRACE("WebApi::Get: url=%s", "http://x/");
    ZV_TRACE("%s", std::string(5000, 'x').c_str());
    const std::string out = testing::internal::GetCapturedStderr();
    const size_t first = out.find('\n');
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(out.substr(0, first), "WebApi::Get: url=http://x/");
    const std::string second = out.substr(first + 1);
    EXPECT_LE(second.size(), 1024u);
    EXPECT_GE(second.size(), 1000u);
    EXPECT_EQ(second.back(), '\n');
}

TEST(Trace, ArgumentsAreNotEvaluatedWhenOff) {
    // With tracing on, the argument is evaluated exactly once.
    int evaluated = 0;
    testing::internal::CaptureStderr();
    ZV_TRACE("%d", ++evaluated);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(evaluated, 1);
}
