#pragma once
// Starting other programs and handing files or addresses to the desktop.
#include <string>
#include <vector>

namespace zv {

// Starts `program` with `args` (argv[1..]) detached from this process; the
// child is reaped automatically. False when it could not be started.
bool SpawnProgram(const std::string& program, const std::vector<std::string>& args = {});

// Opens a URI (http:, file:) with the desktop's default handler.
// The environment variable ZELVIO_OPENER, when set, names a program that is
// run with the URI as its only argument instead (tests record what was opened).
bool OpenUri(const std::string& uri);

// Opens a local file with the desktop's default handler; with ZELVIO_OPENER
// set, that program is run with the plain path instead.
bool OpenFile(const std::string& path);

}  // namespace zv
