// Preloaded into xdg-desktop-portal-wlr so that it can cast from a compositor
// on the software renderer. That backend refuses to start a cast unless the
// compositor names a DMA-BUF format for each frame, which a compositor with no
// GPU never does, even though the backend's shared-memory path would serve.
// Here every frame's shared-memory format is also announced as a DMA-BUF
// format; with no GPU device the backend then offers PipeWire shared-memory
// buffers only, and the frames really are copied through shared memory. A
// compositor that does send a DMA-BUF format overrides the announcement,
// since its event comes after the one made here.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <string.h>

struct wl_proxy;
struct frame;

// Layout of zwlr_screencopy_frame_v1_listener (wlr-screencopy-unstable-v1, v3).
struct frame_listener {
  void (*buffer)(void *data, struct frame *f, uint32_t format, uint32_t width, uint32_t height,
                 uint32_t stride);
  void (*flags)(void *data, struct frame *f, uint32_t flags);
  void (*ready)(void *data, struct frame *f, uint32_t sec_hi, uint32_t sec_lo, uint32_t nsec);
  void (*failed)(void *data, struct frame *f);
  void (*damage)(void *data, struct frame *f, uint32_t x, uint32_t y, uint32_t width, uint32_t height);
  void (*linux_dmabuf)(void *data, struct frame *f, uint32_t format, uint32_t width, uint32_t height);
  void (*buffer_done)(void *data, struct frame *f);
};

const char *wl_proxy_get_class(struct wl_proxy *proxy);

// The backend registers one listener for all its frames.
static const struct frame_listener *theirs;
static struct frame_listener ours;

// wl_shm codes 0 and 1 stand for the DRM fourccs AR24 and XR24; every other
// wl_shm code is the fourcc itself.
static uint32_t drm_from_shm(uint32_t format) {
  if (format == 0) return 0x34325241;  // AR24
  if (format == 1) return 0x34325258;  // XR24
  return format;
}

static void on_buffer(void *data, struct frame *f, uint32_t format, uint32_t width, uint32_t height,
                      uint32_t stride) {
  theirs->buffer(data, f, format, width, height, stride);
  if (theirs->linux_dmabuf) theirs->linux_dmabuf(data, f, drm_from_shm(format), width, height);
}

int wl_proxy_add_listener(struct wl_proxy *proxy, void (**implementation)(void), void *data) {
  static int (*real)(struct wl_proxy *, void (**)(void), void *);
  if (!real) real = (int (*)(struct wl_proxy *, void (**)(void), void *))dlsym(RTLD_NEXT, "wl_proxy_add_listener");
  if (!real) return -1;
  const struct frame_listener *l = (const struct frame_listener *)implementation;
  if (strcmp(wl_proxy_get_class(proxy), "zwlr_screencopy_frame_v1") != 0 || !l->buffer ||
      (theirs && theirs != l))
    return real(proxy, implementation, data);
  if (!theirs) {
    theirs = l;
    ours = *l;
    ours.buffer = on_buffer;
  }
  return real(proxy, (void (**)(void))&ours, data);
}
