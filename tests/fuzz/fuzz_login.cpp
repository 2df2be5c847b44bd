// The login reply reader on arbitrary bytes: never crashes, and a reply it
// accepts leaves no failure while a refusal always has one.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "login_record.h"
#include "web_login.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zv::LoginRecord record;
    zv::LoginReply reply;
    const bool accepted = WebLogin::ReadReply(
        std::string_view(reinterpret_cast<const char*>(data), size), record, reply);
    if (accepted != (record.Failure() == zv::LoginFailure::kNone)) {
        std::abort();  // a refusal the window would wait on for ever
    }
    if (record.Failure() == zv::LoginFailure::kRefused && record.ErrorMessage().empty()) {
        std::abort();  // a refusal said by the platform's empty text
    }
    return 0;
}
