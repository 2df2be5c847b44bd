#pragma once
// One input of each fuzz target. Each returns -1 when an invariant broke
// (the fuzz drivers abort on it) and 0 otherwise, so regression inputs can be
// replayed by an ordinary test.
#include <cstddef>
#include <cstdint>

namespace fuzz {

// The bytes as a package: every listed entry must be readable and inside the
// file.
int PackageOne(const uint8_t* data, size_t size);

// The bytes as "window.xml" (with a fixed resource set and fragments
// "part.xml", "loop.xml"): every window's name map must point at controls of
// that name inside its tree.
int WindowXmlOne(const uint8_t* data, size_t size);

}  // namespace fuzz
