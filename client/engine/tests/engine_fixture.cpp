#include "engine_fixture.h"

#include <cstdlib>

#include "support/process.h"

namespace zvtest {

namespace {

// Leaked on purpose: the folder is removed by an exit handler, which runs
// after static strings may already be gone.
const std::string* gEngineFolder = nullptr;

void RemoveEngineFolder() {
    if (gEngineFolder != nullptr && std::getenv("ZV_KEEP_TEST_FILES") == nullptr) {
        RemoveTree(*gEngineFolder);
    }
}

}  // namespace

std::string EngineTestFolder() {
    static const std::string folder = [] {
        std::string f = MakeTempFolder("zv-engine-");
        setenv("XDG_DATA_HOME", (f + "/data").c_str(), 1);
        gEngineFolder = new std::string(f);
        std::atexit(RemoveEngineFolder);
        return f;
    }();
    return folder;
}

std::string MakeClip(const std::string& folder, const std::string& name, double seconds, int width,
                     int height) {
    const std::string path = folder + "/" + name;
    MakeTestClip(path, seconds, width, height);
    return path;
}

std::string MakePicture(const std::string& folder, const std::string& name, int width, int height,
                        const std::string& colour) {
    const std::string path = folder + "/" + name;
    const CommandResult r = RunCommand(
        {"ffmpeg", "-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
         "color=c=" + colour + ":size=" + std::to_string(width) + "x" + std::to_string(height),
         "-frames:v", "1", path},
        30);
    if (r.exitCode != 0)
        throw std::runtime_error("ffmpeg could not make the picture: " + r.output);
    return path;
}

bool RecordingSink::Saw(zv::StreamState state) const {
    return Find(state) >= 0;
}

int RecordingSink::Find(zv::StreamState state, size_t from) const {
    for (size_t i = from; i < statuses.size(); ++i) {
        if (statuses[i].state == state)
            return static_cast<int>(i);
    }
    return -1;
}

std::string RecordingSink::Describe() const {
    std::string text;
    for (const zv::StreamStatus& s : statuses) {
        text += std::string(zv::StreamStateName(s.state)) + "(" + std::to_string(s.code) + "," +
                std::to_string(s.retryDelaySec) + ") ";
    }
    return text.empty() ? "(no reports)" : text;
}

}  // namespace zvtest
