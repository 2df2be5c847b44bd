#include "flv_scan.h"

#include <fstream>
#include <iterator>
#include <vector>

bool FlvHasMedia(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    if (b.size() < 13 || b[0] != 'F' || b[1] != 'L' || b[2] != 'V')
        return false;
    size_t pos = 13;  // header (9) and the first previous-tag size (4)
    while (pos + 11 <= b.size()) {
        const unsigned type = b[pos] & 0x1f;
        const size_t size = (size_t{b[pos + 1]} << 16) | (size_t{b[pos + 2]} << 8) | b[pos + 3];
        const size_t data = pos + 11;
        if (data + size > b.size())
            return false;  // tag not complete yet
        if ((type == 8 || type == 9) && size >= 2 && b[data + 1] == 1)
            return true;
        pos = data + size + 4;
    }
    return false;
}
