#include "push_address.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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

TEST(PushAddressCheck, NamesWhatIsWrongWithAnAddress) {
    using P = PushAddressProblem;
    struct Case {
        std::string address;
        P expected;
    };
    const Case cases[] = {
        // usable
        {"rtmp://127.0.0.1:1935/live/stream-1", P::None},
        {"rtmp://ingest.example.com/live/key?token=abc&x=1", P::None},
        {"RTMP://Host/live/key", P::None},
        {"rtmp://h/live/key?token=a/b", P::None},  // the key is what follows the last '/'
        {"rtmp://h/app/inst/key", P::None},
        {"rtmp://[::1]:1935/live/key", P::None},
        {"rtmp://[::1]/live/key", P::None},
        {"rtmp://h:1/live/k", P::None},
        {"rtmp://h:65535/live/k", P::None},
        {"rtmps://live.example.com:443/app/key", P::None},
        {"rtmp://h/a/\xe7\x9b\xb4\xe6\x92\xad", P::None},
        // too short: the split refuses it as well
        {"", P::TooShort},
        {"rtmp:/k", P::TooShort},
        // scheme
        {"rtmp:/ab", P::Scheme},
        {"http://127.0.0.1:1/live/key", P::Scheme},
        {"abcdefgh", P::Scheme},
        {"rtmpt://h/live/key", P::Scheme},
        {" rtmp://h/live/key", P::Scheme},
        {std::string(5000, 'x') + "/" + std::string(5000, 'k'), P::Scheme},
        // host
        {"rtmp:///////", P::Host},
        {"rtmp:///live/key", P::Host},
        {"rtmp://bad host name/live/key", P::Host},
        {"rtmp://[]/live/key", P::Host},
        {"rtmp://[::1/live/key", P::Host},
        {"rtmp://[/key", P::Host},
        {"rtmp://[:1935/live/key", P::Host},
        {"rtmp://[::1]x/live/key", P::Host},
        {"rtmp://[abc]/live/key", P::Host},      // no colon: not an IPv6 address
        {"rtmp://user:pw@h/live/key", P::Port},  // "pw@h" is not a port
        {"rtmp://us@h/live/key", P::Host},
        {"rtmp://.h/live/key", P::Host},
        {"rtmp://h..x/live/key", P::Host},
        {"rtmp://" + std::string(300, 'h') + "/live/key", P::Host},
        // port
        {"rtmp://127.0.0.1:99999/live/key", P::Port},
        {"rtmp://127.0.0.1:65536/live/key", P::Port},
        {"rtmp://127.0.0.1:0/live/key", P::Port},
        {"rtmp://127.0.0.1:/live/key", P::Port},
        {"rtmp://127.0.0.1:19a5/live/key", P::Port},
        {"rtmp://127.0.0.1:-1/live/key", P::Port},
        {"rtmp://127.0.0.1:0001935/live/key", P::Port},
        {"rtmp://[::1]:99999/live/key", P::Port},
        // application
        {"rtmp://host", P::Application},
        {"rtmp://host/key", P::Application},
        {"rtmp://host//key", P::Application},
        {"rtmp://host/li ve/key", P::Application},
        // key
        {"rtmp://host/live/", P::Key},
        {"rtmp://host/live/ke y", P::Key},
        {"rtmp://host/live/key\r\n", P::Key},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckPushAddress(c.address, true), c.expected) << c.address.substr(0, 60);
    }
}

TEST(PushAddressCheck, RefusesTlsWhereTheOutputCannotSpeakIt) {
    EXPECT_EQ(CheckPushAddress("rtmps://h:443/live/key", false), PushAddressProblem::Scheme);
    EXPECT_EQ(CheckPushAddress("rtmp://h:443/live/key", false), PushAddressProblem::None);
}

TEST(PushAddressCheck, EveryProblemHasItsOwnText) {
    using P = PushAddressProblem;
    EXPECT_STREQ(PushAddressProblemKey(P::None), "");
    EXPECT_STREQ(PushAddressProblemKey(P::TooShort), "s.stream.error.path");
    std::set<std::string> keys;
    for (P p : {P::Scheme, P::Host, P::Port, P::Application, P::Key}) {
        const std::string key = PushAddressProblemKey(p);
        EXPECT_EQ(key.rfind("s.stream.error.address.", 0), 0u) << key;
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), 5u);
}

}  // namespace
}  // namespace zv
