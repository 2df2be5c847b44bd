#pragma once
// The main window's rules that need no window: addresses, menu entries and
// labels, the level frame.
#include <cstdint>
#include <string>
#include <string_view>

namespace zv::mainwin {

// The whole-desktop and camera-off entries put in front of the engine's
// window and camera lists: their label (from the package), a ':' and a
// suffix no real entry carries.
std::string SentinelEntry(std::u16string_view label);

// The record address of a push address: the first "/live/" becomes
// "/record/"; empty when there is none.
std::string RecordAddress(std::string_view pushAddress);

// A window's or camera's menu label: the entry up to its first ':' (the
// whole entry when it has none).
std::string EntryLabel(std::string_view entry);

// The system's default microphone: the id "default" in any case (its menu
// label is the package's, not the device's name).
bool IsDefaultMicrophone(std::string_view id);

// The slider's track frame for a mixed level: level x 20 + 1 truncated,
// held to the strip's frames 1 to 21 (levels below -100 dBFS are negative,
// and a peak over full scale gives more than 1).
int LevelFrame(float level);

// A text resource with its "%d" filled with `number`.
std::u16string WithNumber(std::u16string text, int number);

// A text resource with every "{message}" replaced by `message`.
std::u16string WithMessage(std::u16string text, std::u16string_view message);

// The health line from its text resource: "{rate}" becomes the sending rate
// in kbit/s, "{dropped}" the number of dropped frames.
std::u16string HealthText(std::u16string text, uint64_t kbitPerSecond, int dropped);

}  // namespace zv::mainwin
