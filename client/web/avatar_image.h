#pragma once
// The avatar picture work: the centred square of a picture, made opaque
// inside its inscribed circle and transparent outside (smooth edge),
// resampled to 64 x 64 and saved as PNG.
#include <string>

namespace zv {

inline constexpr int kAvatarSide = 64;

// Loads `path` (format detected from the content), makes the round avatar
// and saves it as PNG over the same file. False when the file is not a
// picture or the result cannot be saved; the file is then left as it was.
bool MakeRoundAvatar(const std::string& path);

}  // namespace zv
