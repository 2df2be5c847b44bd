#include <cstdlib>

#include "fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (fuzz::WindowXmlOne(data, size) != 0) {
        abort();
    }
    return 0;
}
