#pragma once
// Finds the first media packet (not a codec header) in a growing FLV file.
#include <string>

// True when the file holds at least one complete audio or video tag carrying
// coded media (AAC raw frame or AVC NAL units).
bool FlvHasMedia(const std::string& path);
