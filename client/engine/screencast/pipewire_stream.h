#pragma once
// The picture stream the portal grants, read with libpipewire on a thread
// loop of its own: shared-memory 32-bit RGB in the sizes the compositor
// offers, each frame handed on as it arrives.
#include <cstdint>
#include <functional>
#include <memory>

#include "frame_format.h"

namespace zv::screencast {

struct VideoFrame {
    const uint8_t* data;
    uint32_t stride;
    uint32_t width;
    uint32_t height;
    ObsFormat format;
    uint64_t timestampNs;
};

class PipewireStream {
public:
    struct Callbacks {
        // On the stream's thread, for every frame while active.
        std::function<void(const VideoFrame&)> frame;
        // On the stream's thread, once, when the stream or the connection to
        // PipeWire ends (PipeWire or the compositor went away). The stream
        // must not be destroyed from inside this call.
        std::function<void()> ended;
    };

    // Connects to node `nodeId` on the PipeWire remote `fd` (taken over,
    // closed in all cases). Null when PipeWire could not be set up.
    static std::unique_ptr<PipewireStream> Connect(int fd, uint32_t nodeId, Callbacks callbacks);
    // Stops the thread; no callback runs once this returns.
    ~PipewireStream();
    PipewireStream(const PipewireStream&) = delete;
    PipewireStream& operator=(const PipewireStream&) = delete;

    // Pauses or resumes the flow of frames (a capture not shown costs
    // nothing).
    void SetActive(bool active);

    uint64_t FramesReceived() const;

    struct Impl;

private:
    explicit PipewireStream(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace zv::screencast
