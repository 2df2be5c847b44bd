#pragma once
// Shared pieces of the engine's integration tests: a private data folder, test
// media made with the ffmpeg CLI and a sink that records the stream reports.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "av_core.h"
#include "support/process.h"
#include "support/pulse_server.h"

namespace zvtest {

// A temp folder for this test process; XDG_DATA_HOME points into it so that
// libobs's module configuration lands there. Call before AVCore::Instance().
std::string EngineTestFolder();

// A clip made with ffmpeg: testsrc2 picture and a 440 Hz tone, H.264/AAC mp4.
std::string MakeClip(const std::string& folder, const std::string& name, double seconds,
                     int width = 640, int height = 360);
// A solid-colour PNG (colour as ffmpeg names it, e.g. "0xFF00FF").
std::string MakePicture(const std::string& folder, const std::string& name, int width, int height,
                        const std::string& colour);

class RecordingSink : public zv::AVCoreEvent {
public:
    void OnAudioLevel(float level) override { levels.push_back(level); }
    void OnStreamStatus(const zv::StreamStatus& status) override {
        statuses.push_back(status);
        times.push_back(std::chrono::steady_clock::now());
    }
    void OnCaptureProblem(zv::CaptureKind kind, zv::CaptureProblem problem) override {
        captureProblems.emplace_back(kind, problem);
    }
    bool Saw(zv::StreamState state) const;
    // Index of the first report of `state` at or after `from`; -1 if none.
    int Find(zv::StreamState state, size_t from = 0) const;
    std::string Describe() const;

    std::vector<float> levels;
    std::vector<zv::StreamStatus> statuses;
    std::vector<std::chrono::steady_clock::time_point> times;
    std::vector<std::pair<zv::CaptureKind, zv::CaptureProblem>> captureProblems;
};

}  // namespace zvtest
