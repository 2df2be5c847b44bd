#include "push_address.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

TEST(PushAddress, RefusesAddressesShorterThanEightCharacters) {
    EXPECT_FALSE(SplitPushAddress(""));
    EXPECT_FALSE(SplitPushAddress("rtmp:/k"));  // 7 characters
    EXPECT_TRUE(SplitPushAddress("rtmp:/ab"));  // 8 characters
}

TEST(PushAddress, SplitsAtTheLastSlash) {
    struct Case {
        const char* address;
        PushTarget expected;
    };
    const Case cases[] = {
        {"rtmp://host/app/name", {"rtmp://host/app/", "name"}},
        {"rtmp:/ab", {"rtmp:/", "ab"}},
        {"rtmp://h/live/key?token=a/b", {"rtmp://h/live/key?token=a/", "b"}},
        {"rtmp://h/live/key?token=abc&x=1", {"rtmp://h/live/", "key?token=abc&x=1"}},
        {"rtmp://host/app/", {"rtmp://host/app/", ""}},
        {"noslashatall", {"", "noslashatall"}},
        {"rtmp://127.0.0.1:1935/live/stream-1", {"rtmp://127.0.0.1:1935/live/", "stream-1"}},
    };
    for (const Case& c : cases) {
        const auto target = SplitPushAddress(c.address);
        ASSERT_TRUE(target) << c.address;
        EXPECT_EQ(*target, c.expected) << c.address;
    }
}

TEST(PushAddress, KeepsBytesOfNonAsciiKeysUnchanged) {
    const auto target = SplitPushAddress("rtmp://h/a/\xe7\x9b\xb4\xe6\x92\xad");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->key, "\xe7\x9b\xb4\xe6\x92\xad");
}

TEST(PushAddress, ServerWithAnUnclosedIpv6BracketIsUnsafe) {
    for (const char* server :
         {"rtmp://[/", "rtmp://[::1/live/", "rtmp://[:1935/live/", "rtmp://[/]x/", "x://[::1/"}) {
        EXPECT_FALSE(IsSafeRtmpServer(server)) << server;
    }
    for (const char* server :
         {"rtmp://[::1]/live/", "rtmp://[::1]:1935/live/", "rtmp://[]/live/", "rtmp://host/live/",
          "rtmp://host:1935/", "rtmp:/", "", "abc/", "rtmp:///live/", "rtmp://h/[/"}) {
        EXPECT_TRUE(IsSafeRtmpServer(server)) << server;
    }
}

}  // namespace
}  // namespace zv
