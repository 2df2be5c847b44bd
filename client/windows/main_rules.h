#pragma once
// The main window's rules that need no window: addresses, menu entries and
// labels, the level frame.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop_session.h"

namespace zv::mainwin {

// The menus' own entries beside the engine's windows and cameras (the whole
// desktop, the window chooser, camera off): their label (from the package),
// a ':' and a suffix no real entry carries.
std::string SentinelEntry(std::u16string_view label);

// The window menu's entries: the whole desktop first, then on X11 the
// engine's windows; on Wayland windows cannot be listed, so one entry (the
// portal sentinel) lets the desktop's own chooser pick one.
std::vector<std::string> WindowMenuEntries(DesktopSession session, const std::string& desktopEntry,
                                           const std::string& portalEntry,
                                           const std::vector<std::string>& engineWindows);

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
