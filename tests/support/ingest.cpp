#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "support/standin.h"

namespace zvtest {
namespace {

bool KeepFiles() {
    const char* keep = std::getenv("ZV_KEEP_TEST_FILES");
    return keep && *keep;
}

}  // namespace

Ingest::Ingest() {
    folder_ = MakeTempFolder("zv-ingest-");
    // Another process may grab the free port between FreePort() and nginx's
    // bind; try a few ports before giving up.
    std::string lastError;
    for (int attempt = 0; attempt < 4; ++attempt) {
        port_ = FreePort();
        try {
            StartOnce();
            return;
        } catch (const std::exception& e) {
            lastError = e.what();
        }
    }
    if (!KeepFiles()) {
        RemoveTree(folder_);
    }
    throw std::runtime_error(lastError);
}

Ingest::~Ingest() {
    Stop();
    if (!KeepFiles()) {
        RemoveTree(folder_);
    }
}

std::string Ingest::PushUrl(const std::string& app, const std::string& key) const {
    return "rtmp://127.0.0.1:" + std::to_string(port_) + "/" + app + "/" + key;
}

std::vector<std::string> Ingest::Recordings(const std::string& app) const {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(folder_ + "/recordings/" + app, ec)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Ingest::NewestRecording(const std::string& app) const {
    std::string newest;
    std::filesystem::file_time_type latest{};
    for (const auto& f : Recordings(app)) {
        std::error_code ec;
        const auto t = std::filesystem::last_write_time(f, ec);
        if (!ec && (newest.empty() || t > latest)) {
            newest = f;
            latest = t;
        }
    }
    return newest;
}

std::vector<std::string> Ingest::Recordings() const {
    std::vector<std::string> files = Recordings("live");
    std::vector<std::string> record = Recordings("record");
    files.insert(files.end(), record.begin(), record.end());
    return files;
}

std::string Ingest::Log() const {
    return FileTail(folder_ + "/logs/error.log", 20000);
}

void Ingest::Stop() {
    process_.Terminate();
}

bool Ingest::Running() {
    return process_.Running();
}

void Ingest::Start() {
    if (process_.Running()) {
        return;
    }
    StartOnce();
}

void Ingest::StartOnce() {
    if (PortAcceptsConnections(port_)) {
        throw std::runtime_error("Ingest: port " + std::to_string(port_) + " is already taken");
    }
    // "run" writes the configuration and execs nginx, so the child we own is
    // the server itself.
    process_.Spawn({"bash", SourceDir() + "/tools/ingest/ingest.sh", "run", "--port",
                    std::to_string(port_), "--dir", folder_},
                   folder_ + "/ingest.out");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!PortAcceptsConnections(port_)) {
        if (!process_.Running()) {
            throw std::runtime_error("Ingest: nginx ended during start-up on port " +
                                     std::to_string(port_) + ":\n" +
                                     FileTail(folder_ + "/ingest.out") + "\n" + Log());
        }
        if (std::chrono::steady_clock::now() > deadline) {
            process_.Terminate();
            throw std::runtime_error("Ingest: port " + std::to_string(port_) +
                                     " not accepting after 15 s:\n" + Log());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace zvtest
