#pragma once
// The "rtmp_custom" service (server, stream key, optional credentials) as the
// engine's own registration. The system's plug-in that normally provides it
// also downloads a service list from a third-party server whenever it loads;
// the broadcaster needs nothing of that.

namespace zv {

// Registers the service type with libobs (once per libobs start-up).
void RegisterRtmpCustomService();

}  // namespace zv
