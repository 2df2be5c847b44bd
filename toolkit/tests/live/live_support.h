#pragma once
// The gallery program under the shared UI driver: its window, its controls
// and the event lines it prints.
#include <json/json.h>

#include <memory>
#include <string>
#include <vector>

#include "support/ui_driver.h"

namespace live {

using zvtest::Centre;
using zvtest::OwnDisplay;
using zvtest::Point;
using zvtest::WaitFor;
using zvtest::XInput;

// The gallery host as a child process on `display`.
class GalleryProcess {
public:
    GalleryProcess(const std::string& display, const std::vector<std::string>& args);

    bool running() { return program_->running(); }
    int waitExit(int timeoutMs) { return program_->waitExit(timeoutMs); }

    // The lines it printed so far (events, menu choices, exit).
    std::vector<std::string> lines() const { return program_->lines(); }
    bool printed(const std::string& line) const { return program_->printed(line); }
    bool waitPrinted(const std::string& line, int timeoutMs = 5000) const {
        return program_->waitPrinted(line, timeoutMs);
    }
    std::vector<std::string> linesStarting(const std::string& prefix) const {
        return program_->linesStarting(prefix);
    }

    Json::Value state() const { return program_->state(); }
    // The record of the gallery window, null when it is not there.
    Json::Value window() const { return program_->window(kWindow); }
    // A named control of the gallery window (row -1), null when absent.
    Json::Value control(const std::string& name) const { return program_->control(kWindow, name); }
    // Waits until the gallery window is viewable, laid out down to its
    // status line and in one place.
    bool waitShown(int timeoutMs = 8000) const;

    std::string log() const { return program_->log(); }

private:
    static constexpr const char* kWindow = "w.gallery";
    std::unique_ptr<zvtest::InspectedProgram> program_;
};

}  // namespace live
