// Reads frames from a screen-cast stream the way a capture client does:
//   pw_frame_probe FD NODE [FRAMES] [TIMEOUT_S]
// FD is the PipeWire remote the portal's OpenPipeWireRemote handed out, NODE
// the stream's node id from Start. For each frame with data it prints a line
//   frame=N size=WxH format=NAME centre=#RRGGBB
// and exits 0 after FRAMES of them (default 1); 1 when the stream errors or
// they do not arrive in time. The backend copies with damage, so a screen
// that does not change yields one frame and then none until something moves.
#include <pipewire/pipewire.h>
#include <spa/debug/types.h>
#include <spa/param/video/format-utils.h>
#include <spa/param/video/type-info.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>

struct probe {
  struct pw_main_loop *loop;
  struct pw_stream *stream;
  struct spa_hook listener;
  struct spa_video_info_raw format;
  int have_format;
  int wanted, frames, failed;
};

// Byte offsets of red, green and blue in a pixel of FORMAT, or -1s when the
// format is not one of the 32-bit packed ones offered below.
static void channel_offsets(enum spa_video_format f, int *r, int *g, int *b) {
  *r = *g = *b = -1;
  switch (f) {
    case SPA_VIDEO_FORMAT_BGRx: case SPA_VIDEO_FORMAT_BGRA: *b = 0; *g = 1; *r = 2; break;
    case SPA_VIDEO_FORMAT_RGBx: case SPA_VIDEO_FORMAT_RGBA: *r = 0; *g = 1; *b = 2; break;
    case SPA_VIDEO_FORMAT_xRGB: case SPA_VIDEO_FORMAT_ARGB: *r = 1; *g = 2; *b = 3; break;
    case SPA_VIDEO_FORMAT_xBGR: case SPA_VIDEO_FORMAT_ABGR: *b = 1; *g = 2; *r = 3; break;
    default: break;
  }
}

static void on_param_changed(void *data, uint32_t id, const struct spa_pod *param) {
  struct probe *p = data;
  if (!param || id != SPA_PARAM_Format) return;
  if (spa_format_video_raw_parse(param, &p->format) < 0) return;
  p->have_format = 1;
}

static void on_state_changed(void *data, enum pw_stream_state old, enum pw_stream_state state,
                             const char *error) {
  struct probe *p = data;
  (void)old;
  if (p->frames >= p->wanted) return;  // being torn down after success
  if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED) {
    fprintf(stderr, "pw_frame_probe: stream %s%s%s\n", pw_stream_state_as_string(state),
            error ? ": " : "", error ? error : "");
    p->failed = 1;
    pw_main_loop_quit(p->loop);
  }
}

static void on_process(void *data) {
  struct probe *p = data;
  struct pw_buffer *b = pw_stream_dequeue_buffer(p->stream);
  if (!b) return;
  struct spa_buffer *buf = b->buffer;
  struct spa_data *d = &buf->datas[0];
  void *base = d->data;
  void *mapped = NULL;
  size_t maplen = 0;
  // Shared-memory buffers may come unmapped when the stream was not asked to
  // map them; map the fd here so either way counts.
  if (!base && d->type == SPA_DATA_MemFd && d->fd >= 0) {
    maplen = d->maxsize + d->mapoffset;
    mapped = mmap(NULL, maplen, PROT_READ, MAP_SHARED, d->fd, 0);
    if (mapped != MAP_FAILED) base = (char *)mapped + d->mapoffset;
    else mapped = NULL;
  }
  if (base && d->chunk && d->chunk->size > 0 && p->have_format) {
    p->frames++;
    {
      int r, g, bl;
      channel_offsets(p->format.format, &r, &g, &bl);
      uint32_t w = p->format.size.width, h = p->format.size.height;
      int32_t stride = d->chunk->stride ? d->chunk->stride : (int32_t)(w * 4);
      const unsigned char *px = (const unsigned char *)base + d->chunk->offset +
                                (size_t)(h / 2) * (size_t)stride + (size_t)(w / 2) * 4;
      printf("frame=%d size=%ux%u format=%s centre=", p->frames, w, h,
             spa_debug_type_find_short_name(spa_type_video_format, p->format.format));
      if (r < 0) printf("unknown\n");
      else printf("#%02x%02x%02x\n", px[r], px[g], px[bl]);
      fflush(stdout);
      if (p->frames >= p->wanted) pw_main_loop_quit(p->loop);
    }
  }
  if (mapped) munmap(mapped, maplen);
  pw_stream_queue_buffer(p->stream, b);
}

static const struct pw_stream_events stream_events = {
    PW_VERSION_STREAM_EVENTS,
    .state_changed = on_state_changed,
    .param_changed = on_param_changed,
    .process = on_process,
};

static void on_timeout(void *data, uint64_t expirations) {
  struct probe *p = data;
  (void)expirations;
  fprintf(stderr, "pw_frame_probe: %d of %d frames before the timeout\n", p->frames, p->wanted);
  p->failed = 1;
  pw_main_loop_quit(p->loop);
}

int main(int argc, char **argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: pw_frame_probe FD NODE [FRAMES] [TIMEOUT_S]\n");
    return 2;
  }
  char *end;
  long fd = strtol(argv[1], &end, 10);
  long node = strtol(argv[2], &end, 10);
  if (fd < 0 || node <= 0 || *end) {
    fprintf(stderr, "pw_frame_probe: bad FD or NODE\n");
    return 2;
  }
  struct probe p = {.wanted = argc > 3 ? atoi(argv[3]) : 1};
  int timeout_s = argc > 4 ? atoi(argv[4]) : 20;
  if (p.wanted < 1 || timeout_s < 1) return 2;

  pw_init(&argc, &argv);
  p.loop = pw_main_loop_new(NULL);
  struct pw_loop *loop = pw_main_loop_get_loop(p.loop);
  struct pw_context *ctx = pw_context_new(loop, NULL, 0);
  struct pw_core *core = pw_context_connect_fd(ctx, (int)fd, NULL, 0);
  if (!core) {
    fprintf(stderr, "pw_frame_probe: connect_fd: %s\n", strerror(errno));
    return 1;
  }
  p.stream = pw_stream_new(core, "zv-frame-probe",
                           pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                             "Capture", PW_KEY_MEDIA_ROLE, "Screen", NULL));
  pw_stream_add_listener(p.stream, &p.listener, &stream_events, &p);

  uint8_t buffer[1024];
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
  const struct spa_pod *params[1];
  params[0] = spa_pod_builder_add_object(
      &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat,
      SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
      SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
      SPA_FORMAT_VIDEO_format,
      SPA_POD_CHOICE_ENUM_Id(9, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                             SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA, SPA_VIDEO_FORMAT_xRGB,
                             SPA_VIDEO_FORMAT_ARGB, SPA_VIDEO_FORMAT_xBGR, SPA_VIDEO_FORMAT_ABGR),
      SPA_FORMAT_VIDEO_size,
      SPA_POD_CHOICE_RANGE_Rectangle(&SPA_RECTANGLE(1280, 720), &SPA_RECTANGLE(1, 1),
                                     &SPA_RECTANGLE(8192, 8192)),
      SPA_FORMAT_VIDEO_framerate,
      SPA_POD_CHOICE_RANGE_Fraction(&SPA_FRACTION(30, 1), &SPA_FRACTION(0, 1),
                                    &SPA_FRACTION(1000, 1)));
  if (pw_stream_connect(p.stream, PW_DIRECTION_INPUT, (uint32_t)node,
                        PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS, params, 1) < 0) {
    fprintf(stderr, "pw_frame_probe: stream connect failed\n");
    return 1;
  }
  struct spa_source *timer = pw_loop_add_timer(loop, on_timeout, &p);
  struct timespec t = {.tv_sec = timeout_s};
  pw_loop_update_timer(loop, timer, &t, NULL, false);

  pw_main_loop_run(p.loop);

  pw_stream_destroy(p.stream);
  pw_core_disconnect(core);
  pw_context_destroy(ctx);
  pw_main_loop_destroy(p.loop);
  pw_deinit();
  return p.failed || p.frames < p.wanted ? 1 : 0;
}
