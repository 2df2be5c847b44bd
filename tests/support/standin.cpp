#include "support/standin.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef ZV_SUPPORT_ROOM_PASSWORD
#define ZV_SUPPORT_ROOM_PASSWORD "k3Vq8ZrT1wN"
#endif

namespace zvtest {
namespace {

bool KeepFiles() {
    const char* keep = std::getenv("ZV_KEEP_TEST_FILES");
    return keep && *keep;
}

bool ParseJson(const std::string& text, Json::Value* out) {
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(text);
    return Json::parseFromStream(builder, in, out, &errors);
}

size_t Append(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

HttpReply HttpRequest(const std::string& method, const std::string& url, const std::string& body,
                      const std::vector<std::string>& headers, const std::string& userPwd,
                      double timeoutSeconds) {
    HttpReply reply;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        reply.error = "curl_easy_init failed";
        return reply;
    }
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Append);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutSeconds * 1000));
    if (method == "POST") {
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    } else if (method != "GET") {
        curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, method.c_str());
        if (!body.empty()) {
            curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
            curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
        }
    }
    std::unique_ptr<curl_slist, SlistDeleter> list;
    for (const auto& h : headers) {
        list.reset(curl_slist_append(list.release(), h.c_str()));
    }
    if (list) {
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, list.get());
    }
    if (!userPwd.empty()) {
        curl_easy_setopt(c, CURLOPT_USERPWD, userPwd.c_str());
    }
    CURLcode rc = curl_easy_perform(c);
    reply.ok = rc == CURLE_OK;
    if (!reply.ok) {
        reply.error = curl_easy_strerror(rc);
    }
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &reply.status);
    char* type = nullptr;
    if (curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
        reply.contentType = type;
    }
    return reply;
}

StandIn::StandIn(StandInOptions o) {
    folder_ = MakeTempFolder("zv-standin-");
    const std::string ready = folder_ + "/ready.json";
    const char* python = std::getenv("ZV_PYTHON");
    std::vector<std::string> argv = {python && *python ? python : "python3",
                                     SourceDir() + "/tools/standin/standin.py",
                                     "--api-port",
                                     "0",
                                     "--route-port",
                                     "0",
                                     "--account-port",
                                     "0",
                                     "--ready-file",
                                     ready};
    if (o.rtmpPort > 0) {
        argv.insert(argv.end(), {"--rtmp-port", std::to_string(o.rtmpPort)});
    }
    argv.insert(argv.end(),
                {"--password", o.password.empty() ? ZV_SUPPORT_ROOM_PASSWORD : o.password});
    argv.insert(argv.end(), o.extraArgs.begin(), o.extraArgs.end());
    const std::string log = folder_ + "/standin.log";
    try {
        process_.Spawn(argv, log);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            std::ifstream in(ready);
            Json::Value ports;
            if (in) {
                std::string text((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
                if (ParseJson(text, &ports) && ports.isObject()) {
                    apiPort_ = ports["api"].asInt();
                    routePort_ = ports["route"].asInt();
                    accountPort_ = ports["account"].asInt();
                    break;
                }
            }
            if (!process_.Running()) {
                throw std::runtime_error("StandIn: standin.py ended during start-up:\n" +
                                         FileTail(log));
            }
            if (std::chrono::steady_clock::now() > deadline) {
                throw std::runtime_error("StandIn: not ready after 20 s:\n" + FileTail(log));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } catch (...) {
        process_.Terminate();
        if (!KeepFiles()) {
            RemoveTree(folder_);
        }
        throw;
    }
}

StandIn::~StandIn() {
    process_.Terminate();
    if (!KeepFiles()) {
        RemoveTree(folder_);
    }
}

std::string StandIn::ApiHost() const {
    return "http://127.0.0.1:" + std::to_string(apiPort_);
}
std::string StandIn::RouteHost() const {
    return "http://127.0.0.1:" + std::to_string(routePort_);
}
std::string StandIn::AccountHost() const {
    return "http://127.0.0.1:" + std::to_string(accountPort_);
}

void StandIn::ExportEnvironment() const {
    setenv("ZELVIO_API_HOST", ApiHost().c_str(), 1);
    setenv("ZELVIO_ROUTE_HOST", RouteHost().c_str(), 1);
    setenv("ZELVIO_ACCOUNT_HOST", AccountHost().c_str(), 1);
}

std::string StandIn::Log() const {
    return FileTail(folder_ + "/standin.log", 20000);
}

Json::Value StandIn::Control(const std::string& command, const Json::Value& body) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    std::string text = body.isNull() ? "{}" : Json::writeString(writer, body);
    HttpReply reply = HttpRequest("POST", ApiHost() + "/_control/" + command, text,
                                  {"Content-Type: application/json"});
    if (!reply.ok) {
        throw std::runtime_error("StandIn::Control(" + command + "): " + reply.error);
    }
    Json::Value result;
    if (!ParseJson(reply.body, &result)) {
        throw std::runtime_error("StandIn::Control(" + command +
                                 "): reply is not JSON: " + reply.body);
    }
    if (reply.status != 200) {
        throw std::runtime_error("StandIn::Control(" + command + "): HTTP " +
                                 std::to_string(reply.status) + ": " + reply.body);
    }
    return result;
}

Json::Value StandIn::Requests(const Json::Value& filter) {
    return Control("requests", filter)["requests"];
}

Json::Value StandIn::Errors() {
    Json::Value filter;
    filter["errors"] = true;
    return Requests(filter);
}

}  // namespace zvtest
