#include "support/pulse_server.h"

#include <unistd.h>

#include <cstdlib>

namespace zvtest {

PulseServer::PulseServer() {
    folder_ = MakeTempFolder("zv-pulse-");
    address_ = "unix:" + folder_ + "/native";
    setenv("PULSE_SERVER", address_.c_str(), 1);
    // Its own home and runtime folder: nothing of the user's sound set-up.
    process_.Spawn({"env", "HOME=" + folder_, "XDG_RUNTIME_DIR=" + folder_,
                    "XDG_CONFIG_HOME=" + folder_, "pulseaudio", "-n", "--daemonize=no",
                    "--exit-idle-time=-1", "--disable-shm=yes", "--use-pid-file=no", "-L",
                    "module-null-sink", "-L", "module-null-source source_name=zvmic", "-L",
                    "module-native-protocol-unix auth-anonymous=1 socket=" + folder_ + "/native"},
                   folder_ + "/pulse.log");
    for (int i = 0; i < 100; ++i) {
        if (RunCommand({"pactl", "info"}, 5).exitCode == 0) {
            // The microphone's "default" hears what is played into the sink.
            if (RunCommand({"pactl", "set-default-source", "null.monitor"}, 5).exitCode == 0)
                return;
        }
        usleep(50000);
    }
    throw std::runtime_error("pulseaudio did not start: " + FileTail(folder_ + "/pulse.log"));
}

PulseServer::~PulseServer() {
    process_.Terminate();
    unsetenv("PULSE_SERVER");
    if (!getenv("ZV_KEEP_TEST_FILES"))
        RemoveTree(folder_);
}

bool PulseServer::Play(const std::string& file) {
    return RunCommand({"ffmpeg", "-nostdin", "-loglevel", "error", "-re", "-i", file, "-vn", "-f",
                       "pulse", "default"},
                      60)
               .exitCode == 0;
}

}  // namespace zvtest
