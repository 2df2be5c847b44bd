#include "rasteriser_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

TEST(RasteriserSettings, DrawOnTheCallingThreadUnlessTheUserChoseOtherwise) {
    const char* before = getenv("LP_NUM_THREADS");
    const std::optional<std::string> saved =
        before ? std::optional<std::string>(before) : std::nullopt;
    struct Case {
        const char* userValue;  // null: not set
        const char* expected;
    } cases[] = {{nullptr, "0"}, {"3", "3"}, {"", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.userValue ? c.userValue : "(unset)");
        if (c.userValue) {
            setenv("LP_NUM_THREADS", c.userValue, 1);
        } else {
            unsetenv("LP_NUM_THREADS");
        }
        zv::ChooseRasteriserSettings();
        ASSERT_NE(getenv("LP_NUM_THREADS"), nullptr);
        EXPECT_STREQ(getenv("LP_NUM_THREADS"), c.expected);
    }
    if (saved) {
        setenv("LP_NUM_THREADS", saved->c_str(), 1);
    } else {
        unsetenv("LP_NUM_THREADS");
    }
}
