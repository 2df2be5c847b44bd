#include "pipewire_stream.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/trace.h"

namespace zv::screencast {
namespace {

uint64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
}

void InitPipewireOnce() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

}  // namespace

struct PipewireStream::Impl {
    Callbacks callbacks;
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook coreListener{};
    spa_hook streamListener{};
    // Negotiated on the stream's thread, read there only.
    spa_video_info_raw info{};
    std::optional<ObsFormat> format;
    std::vector<uint8_t> opaque;
    bool endReported = false;
    std::atomic<uint64_t> frames{0};

    ~Impl() {
        // The thread first: no callback can run while the objects go.
        if (loop)
            pw_thread_loop_stop(loop);
        if (stream) {
            spa_hook_remove(&streamListener);
            pw_stream_destroy(stream);
        }
        if (core) {
            spa_hook_remove(&coreListener);
            pw_core_disconnect(core);
        }
        if (context)
            pw_context_destroy(context);
        if (loop)
            pw_thread_loop_destroy(loop);
    }

    void ReportEnd(const char* why) {
        if (endReported)
            return;
        endReported = true;
        ZV_TRACE("screencast: picture stream ended: %s", why);
        if (callbacks.ended)
            callbacks.ended();
    }

    static void OnCoreError(void* data, uint32_t id, int /*seq*/, int res, const char* message) {
        auto* self = static_cast<Impl*>(data);
        ZV_TRACE("screencast: PipeWire error on %u: %d %s", id, res, message ? message : "");
        if (id == PW_ID_CORE)
            self->ReportEnd("PipeWire connection lost");
    }

    static void OnStateChanged(void* data, pw_stream_state old, pw_stream_state state,
                               const char* error) {
        auto* self = static_cast<Impl*>(data);
        ZV_TRACE("screencast: stream %s -> %s %s", pw_stream_state_as_string(old),
                 pw_stream_state_as_string(state), error ? error : "");
        if (state == PW_STREAM_STATE_ERROR ||
            (state == PW_STREAM_STATE_UNCONNECTED && old != PW_STREAM_STATE_UNCONNECTED))
            self->ReportEnd(error ? error : "stream unconnected");
    }

    static void OnParamChanged(void* data, uint32_t id, const spa_pod* param) {
        auto* self = static_cast<Impl*>(data);
        if (id != SPA_PARAM_Format || !param)
            return;
        uint32_t mediaType = 0, mediaSubtype = 0;
        if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 ||
            mediaType != SPA_MEDIA_TYPE_video || mediaSubtype != SPA_MEDIA_SUBTYPE_raw)
            return;
        spa_video_info_raw info{};
        if (spa_format_video_raw_parse(param, &info) < 0)
            return;
        self->info = info;
        self->format = ObsFormatFor(info.format);
        ZV_TRACE("screencast: format %u, %ux%u", static_cast<unsigned>(info.format),
                 info.size.width, info.size.height);

        uint8_t buffer[512];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
        const spa_pod* params[2];
        params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
            SPA_POD_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
        params[1] = static_cast<const spa_pod*>(
            spa_pod_builder_add_object(&b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta,
                                       SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
                                       SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
        pw_stream_update_params(self->stream, params, 2);
    }

    static void OnProcess(void* data) {
        auto* self = static_cast<Impl*>(data);
        // Only the newest picture matters; older ones go straight back.
        pw_buffer* newest = nullptr;
        while (pw_buffer* next = pw_stream_dequeue_buffer(self->stream)) {
            if (newest)
                pw_stream_queue_buffer(self->stream, newest);
            newest = next;
        }
        if (!newest)
            return;
        self->Deliver(newest->buffer);
        pw_stream_queue_buffer(self->stream, newest);
    }

    void Deliver(spa_buffer* buffer) {
        if (!format || buffer->n_datas < 1)
            return;
        const spa_data& d = buffer->datas[0];
        if (!d.data || !d.chunk || (d.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED))
            return;
        const uint32_t width = info.size.width;
        const uint32_t height = info.size.height;
        const uint32_t stride =
            d.chunk->stride > 0 ? static_cast<uint32_t>(d.chunk->stride) : width * 4;
        // A chunk that cannot hold the picture it claims is dropped, never read
        // past its end.
        const uint64_t needed = uint64_t{stride} * (height ? height - 1 : 0) + uint64_t{width} * 4;
        if (width == 0 || height == 0 || stride < width * 4 ||
            uint64_t{d.chunk->offset} + needed > d.maxsize)
            return;
        std::optional<uint64_t> pts;
        if (auto* header = static_cast<spa_meta_header*>(
                spa_buffer_find_meta_data(buffer, SPA_META_Header, sizeof(spa_meta_header)))) {
            if (header->flags & SPA_META_HEADER_FLAG_CORRUPTED)
                return;
            if (header->pts > 0)
                pts = static_cast<uint64_t>(header->pts);
        }
        const uint8_t* pixels = static_cast<const uint8_t*>(d.data) + d.chunk->offset;
        VideoFrame frame{pixels, stride,  width,
                         height, *format, FrameTimestamp(pts, MonotonicNs())};
        if (format->fillAlpha) {
            opaque.resize(size_t{width} * 4 * height);
            CopyOpaque(pixels, stride, opaque.data(), size_t{width} * 4, width, height);
            frame.data = opaque.data();
            frame.stride = width * 4;
        }
        frames.fetch_add(1, std::memory_order_relaxed);
        if (callbacks.frame)
            callbacks.frame(frame);
    }
};

namespace {

const pw_core_events kCoreEvents = [] {
    pw_core_events events{};
    events.version = PW_VERSION_CORE_EVENTS;
    events.error = &PipewireStream::Impl::OnCoreError;
    return events;
}();

const pw_stream_events kStreamEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = &PipewireStream::Impl::OnStateChanged;
    events.param_changed = &PipewireStream::Impl::OnParamChanged;
    events.process = &PipewireStream::Impl::OnProcess;
    return events;
}();

// The formats and sizes the capture takes: any size the compositor has.
const spa_pod* BuildFormatOffer(spa_pod_builder* b) {
    spa_pod_frame object{};
    spa_pod_builder_push_object(b, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), 0);
    spa_pod_builder_add(b, SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), 0);
    const auto formats = OfferedFormats();
    spa_pod_frame choice{};
    spa_pod_builder_prop(b, SPA_FORMAT_VIDEO_format, 0);
    spa_pod_builder_push_choice(b, &choice, SPA_CHOICE_Enum, 0);
    spa_pod_builder_id(b, formats.front());  // the default
    for (const spa_video_format f : formats)
        spa_pod_builder_id(b, f);
    spa_pod_builder_pop(b, &choice);
    const spa_rectangle defSize = SPA_RECTANGLE(1280, 720);
    const spa_rectangle minSize = SPA_RECTANGLE(1, 1);
    const spa_rectangle maxSize = SPA_RECTANGLE(16384, 16384);
    spa_pod_builder_add(b, SPA_FORMAT_VIDEO_size,
                        SPA_POD_CHOICE_RANGE_Rectangle(&defSize, &minSize, &maxSize), 0);
    // More than the canvas's rate is never shown; ask for a little headroom.
    const spa_fraction defRate = SPA_FRACTION(30, 1);
    const spa_fraction minRate = SPA_FRACTION(0, 1);
    const spa_fraction maxRate = SPA_FRACTION(60, 1);
    spa_pod_builder_add(b, SPA_FORMAT_VIDEO_framerate,
                        SPA_POD_CHOICE_RANGE_Fraction(&defRate, &minRate, &maxRate), 0);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(b, &object));
}

}  // namespace

PipewireStream::PipewireStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

PipewireStream::~PipewireStream() = default;

std::unique_ptr<PipewireStream> PipewireStream::Connect(int fd, uint32_t nodeId,
                                                        Callbacks callbacks) {
    InitPipewireOnce();
    auto impl = std::make_unique<Impl>();
    impl->callbacks = std::move(callbacks);
    impl->loop = pw_thread_loop_new("zv-capture", nullptr);
    if (!impl->loop) {
        ::close(fd);
        return nullptr;
    }
    impl->context = pw_context_new(pw_thread_loop_get_loop(impl->loop), nullptr, 0);
    if (!impl->context || pw_thread_loop_start(impl->loop) < 0) {
        ::close(fd);
        return nullptr;
    }
    pw_thread_loop_lock(impl->loop);
    // The core owns the descriptor from here, also when connecting fails.
    impl->core = pw_context_connect_fd(impl->context, fd, nullptr, 0);
    bool ok = impl->core != nullptr;
    if (ok) {
        pw_core_add_listener(impl->core, &impl->coreListener, &kCoreEvents, impl.get());
        impl->stream =
            pw_stream_new(impl->core, "Zelvio capture",
                          pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                            "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        ok = impl->stream != nullptr;
    }
    if (ok) {
        pw_stream_add_listener(impl->stream, &impl->streamListener, &kStreamEvents, impl.get());
        uint8_t buffer[1024];
        spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
        const spa_pod* params[1] = {BuildFormatOffer(&b)};
        ok = pw_stream_connect(impl->stream, PW_DIRECTION_INPUT, nodeId,
                               static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT |
                                                            PW_STREAM_FLAG_MAP_BUFFERS),
                               params, 1) == 0;
    }
    pw_thread_loop_unlock(impl->loop);
    if (!ok) {
        ZV_TRACE("screencast: PipeWire stream not connected to node %u", nodeId);
        return nullptr;
    }
    return std::unique_ptr<PipewireStream>(new PipewireStream(std::move(impl)));
}

void PipewireStream::SetActive(bool active) {
    pw_thread_loop_lock(impl_->loop);
    pw_stream_set_active(impl_->stream, active);
    pw_thread_loop_unlock(impl_->loop);
}

uint64_t PipewireStream::FramesReceived() const {
    return impl_->frames.load(std::memory_order_relaxed);
}

}  // namespace zv::screencast
