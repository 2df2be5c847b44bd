#pragma once
// A tiny HTTP/1.1 server on 127.0.0.1 with an ephemeral port, for transport
// tests that need byte-level control of the reply (split blocks, stalls).
// Each connection is served on the accept thread by the test's handler.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zvtest {

struct ReceivedRequest {
    std::string head;  // request line and headers
    std::string body;
};

class LoopbackServer {
public:
    using Handler = std::function<void(int fd, const ReceivedRequest&)>;

    explicit LoopbackServer(Handler handler) : handler_(std::move(handler)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 8);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }

    ~LoopbackServer() {
        stopping_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }

    int Port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    std::vector<ReceivedRequest> Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

    static void Send(int fd, const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                return;
            }
            sent += static_cast<size_t>(n);
        }
    }

private:
    void Serve() {
        while (!stopping_) {
            int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) {
                return;
            }
            ReceivedRequest request = Read(fd);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request);
            }
            handler_(fd, request);
            ::close(fd);
        }
    }

    static ReceivedRequest Read(int fd) {
        std::string data;
        char buffer[4096];
        size_t headEnd;
        while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                return {data, {}};
            }
            data.append(buffer, static_cast<size_t>(n));
        }
        ReceivedRequest request{data.substr(0, headEnd), data.substr(headEnd + 4)};
        size_t expected = 0;
        std::string lower = request.head;
        for (auto& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (size_t at = lower.find("content-length:"); at != std::string::npos) {
            expected = std::stoul(lower.substr(at + 15));
        }
        while (request.body.size() < expected) {
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            request.body.append(buffer, static_cast<size_t>(n));
        }
        return request;
    }

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<ReceivedRequest> requests_;
};

}  // namespace zvtest
