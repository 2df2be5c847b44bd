// The package file format: writer and reader agree, and the reader never
// trusts a length it has not checked against the file.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "res/package.h"
#include "test_support.h"

namespace {

using testing_support::TempDir;

void PutU32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(uint8_t(x >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void SetU32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v[at + i] = uint8_t(x >> (8 * i));
}

// Hand-made file: head, data blob, then the given records.
struct Record {
    uint32_t offset;
    std::string name;
    uint32_t length;
    int nameLengthOverride = -1;
};

std::vector<uint8_t> Make(const std::string& data, const std::vector<Record>& records,
                          size_t cutEnd = 0) {
    std::vector<uint8_t> out;
    PutU32(out, 0);
    out.insert(out.end(), data.begin(), data.end());
    SetU32(out, 0, uint32_t(out.size()));
    for (const auto& r : records) {
        PutU32(out, r.offset);
        PutU16(out, r.nameLengthOverride >= 0 ? uint16_t(r.nameLengthOverride)
                                              : uint16_t(r.name.size()));
        out.insert(out.end(), r.name.begin(), r.name.end());
        PutU32(out, r.length);
    }
    out.resize(out.size() - cutEnd);
    return out;
}

std::string Read(const Res::xPackage& p, const std::string& name) {
    auto bytes = p.read(name);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}

TEST(PackageFormat, WriterAndReaderRoundTripThroughAFile) {
    TempDir dir;
    Res::xPackageWriter w;
    w.add("resource.xml", std::string("<resources/>"));
    w.add("img/a.png", std::vector<uint8_t>{0, 1, 2, 255});
    w.add("empty", std::string());
    ASSERT_TRUE(w.write(dir.file("p.dat")));
    Res::xPackage p;
    ASSERT_TRUE(p.open(dir.file("p.dat")));
    EXPECT_EQ(p.entries().size(), 3u);
    EXPECT_EQ(Read(p, "resource.xml"), "<resources/>");
    EXPECT_EQ(Read(p, "img/a.png"), std::string("\0\1\2\xff", 4));
    EXPECT_EQ(Read(p, "empty"), "");
    EXPECT_EQ(Read(p, "Resource.xml"), "<none>") << "names compare byte for byte";
    EXPECT_EQ(p.rejectedRecords(), 0u);
}

TEST(PackageFormat, EntriesAreOrderedByNameAndALaterDuplicateWins) {
    auto bytes = Make("firstsecond", {{4, "b", 5}, {4, "a", 5}, {9, "b", 6}});
    Res::xPackage p;
    ASSERT_TRUE(p.openBytes(bytes));
    ASSERT_EQ(p.entries().size(), 2u);
    EXPECT_EQ(p.entries().begin()->first, "a");
    EXPECT_EQ(Read(p, "b"), "second");
    EXPECT_EQ(Read(p, "a"), "first");
}

TEST(PackageFormat, EmptyIndexIsAValidEmptyPackage) {
    Res::xPackage p;
    ASSERT_TRUE(p.openBytes(Make("data", {})));
    EXPECT_TRUE(p.entries().empty());
    EXPECT_FALSE(p.read("anything"));
}

struct BadCase {
    const char* what;
    std::vector<uint8_t> bytes;
    bool opens;
    size_t entries;
    size_t rejected;
};

TEST(PackageFormat, MalformedFilesAreRejectedOrTrimmedNeverReadPastTheEnd) {
    std::vector<BadCase> cases = {
        {"shorter than the head", {1, 2}, false, 0, 0},
        {"empty file", {}, false, 0, 0},
        {"index offset past the end", {200, 0, 0, 0, 'x'}, false, 0, 0},
        {"record cut inside its fixed fields", Make("abc", {{4, "n", 3}}, 3), true, 0, 1},
        {"record cut inside its name", Make("abc", {{4, "name", 3}}, 6), true, 0, 1},
        {"name length larger than the rest", Make("abc", {{4, "n", 3, 5000}}), true, 0, 1},
        {"data past the end", Make("abc", {{4, "a", 100}, {4, "b", 3}}), true, 1, 1},
        {"offset past the end", Make("abc", {{9999, "a", 1}}), true, 0, 1},
        {"offset plus length overflows 32 bits", Make("abc", {{0xFFFFFFF0u, "a", 0x20}}), true, 0,
         1},
        {"zero-length entry at the very end", Make("abc", {{7, "z", 0}}), true, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Res::xPackage p;
        EXPECT_EQ(p.openBytes(c.bytes), c.opens);
        EXPECT_EQ(p.entries().size(), c.entries);
        EXPECT_EQ(p.rejectedRecords(), c.rejected);
        for (const auto& [name, entry] : p.entries()) {
            EXPECT_LE(uint64_t(entry.offset) + entry.length, c.bytes.size());
            EXPECT_TRUE(p.read(name).has_value());
        }
    }
}

TEST(PackageFormat, FileAndMemoryReadersAgreeOnTheSameBytes) {
    TempDir dir;
    auto bytes = Make("0123456789", {{4, "x", 4}, {8, "y", 6}, {4, "bad", 1000}});
    {
        std::ofstream out(dir.file("f.dat"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    Res::xPackage fromFile, fromMemory;
    ASSERT_TRUE(fromFile.open(dir.file("f.dat")));
    ASSERT_TRUE(fromMemory.openBytes(bytes));
    EXPECT_EQ(fromFile.entries().size(), 2u);
    EXPECT_EQ(Read(fromFile, "y"), "456789");
    EXPECT_EQ(Read(fromFile, "y"), Read(fromMemory, "y"));
    EXPECT_EQ(fromFile.rejectedRecords(), 1u);
}

TEST(PackageFormat, MissingFilesAndFoldersDoNotOpen) {
    TempDir dir;
    Res::xPackage p;
    EXPECT_FALSE(p.open(dir.file("nope.dat")));
    EXPECT_FALSE(p.open(dir.path())) << "a folder is not a package";
    EXPECT_FALSE(p.isOpen());
}

TEST(PackageFormat, WriterRefusesNamesTheFormatCannotHold) {
    Res::xPackageWriter w;
    w.add(std::string(70000, 'n'), std::string("x"));
    EXPECT_FALSE(w.build().has_value());
    TempDir dir;
    EXPECT_FALSE(w.write(dir.file("x.dat")));
    EXPECT_FALSE(g_file_test(dir.file("x.dat").c_str(), G_FILE_TEST_EXISTS));
    EXPECT_FALSE(g_file_test(dir.file("x.dat.tmp").c_str(), G_FILE_TEST_EXISTS));
}

}  // namespace
