// The page function's rules on arbitrary calls: the bytes choose the
// function name, the argument count, each argument's type and value. Never
// crashes; a message is only ever one of the two the client knows.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "notify_rules.h"

namespace {

using zv::browser::ScriptType;

class Args : public zv::browser::ScriptArgs {
public:
    struct Value {
        ScriptType type;
        double number;
        std::string text;
    };
    std::vector<Value> values;
    size_t Count() const override { return values.size(); }
    ScriptType TypeAt(size_t i) const override { return values.at(i).type; }
    double NumberAt(size_t i) const override {
        if (values.at(i).type != ScriptType::Number) {
            std::abort();  // the rules asked a non-number for its number
        }
        return values[i].number;
    }
    std::string TextAt(size_t i) const override {
        if (values.at(i).type != ScriptType::String) {
            std::abort();
        }
        return values[i].text;
    }
};

// Takes up to `n` bytes from the input.
std::string Take(const uint8_t*& data, size_t& size, size_t n) {
    n = std::min(n, size);
    std::string out(reinterpret_cast<const char*>(data), n);
    data += n;
    size -= n;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const bool notifyName = data[0] & 1;
    const size_t count = data[1] % 4;
    data += 2;
    size -= 2;
    const std::string function = notifyName ? "notify" : Take(data, size, 8);
    Args args;
    static const char* const kNames[] = {"updateOnlineCount", "kickout", "notify", ""};
    for (size_t i = 0; i < count && size > 0; ++i) {
        const uint8_t kind = data[0];
        ++data;
        --size;
        Args::Value v{static_cast<ScriptType>(kind % 6), 0, {}};
        if (v.type == ScriptType::Number) {
            const std::string bytes = Take(data, size, sizeof(double));
            std::memcpy(&v.number, bytes.data(), bytes.size());
        } else if (v.type == ScriptType::String) {
            // Often one of the known names, else raw bytes (valid UTF-8 is
            // the caller's promise, so keep it ASCII).
            v.text = (kind & 0x80) ? kNames[(kind >> 3) % 4] : Take(data, size, 32);
            for (char& c : v.text) {
                c = static_cast<char>(c & 0x7F);
            }
        }
        args.values.push_back(std::move(v));
    }
    const auto message = zv::browser::EvaluateNotify(function, args);
    if (message && message->name != "updateOnlineCount" && message->name != "kickout") {
        std::abort();
    }
    return 0;
}
