// zvpack <folder> <package>: packs every regular file under <folder> into a
// resource package; entry names are the relative paths with '/'.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "res/package.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zvpack <folder> <package>\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::error_code ec;
    if (!fs::is_directory(root, ec)) {
        std::fprintf(stderr, "zvpack: %s is not a folder\n", argv[1]);
        return 1;
    }
    // The package may be written into the folder it packs: its earlier
    // output (and the temporary file it is written through) is not content.
    const fs::path output = argv[2];
    fs::path temporary = output;
    temporary += ".tmp";
    auto isOutput = [&](const fs::path& file) {
        std::error_code e;
        return fs::equivalent(file, output, e) || fs::equivalent(file, temporary, e);
    };
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && !isOutput(it->path())) {
            files.push_back(it->path());
        }
    }
    if (ec) {
        std::fprintf(stderr, "zvpack: cannot read %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    // Sorted, so the same folder always gives the same bytes.
    std::sort(files.begin(), files.end());
    Res::xPackageWriter writer;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "zvpack: cannot read %s\n", file.c_str());
            return 1;
        }
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        writer.add(fs::relative(file, root).generic_string(), std::move(bytes));
    }
    if (!writer.write(argv[2])) {
        std::fprintf(stderr, "zvpack: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("zvpack: %zu entries -> %s\n", files.size(), argv[2]);
    return 0;
}
