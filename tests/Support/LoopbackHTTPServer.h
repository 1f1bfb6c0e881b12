#pragma once

// A tiny HTTP/1.1 server on 127.0.0.1 for download tests: answers every GET with
// the response set for its path (404 when none), one connection at a time, and
// records the paths it was asked for. A response can misbehave on purpose: a
// wrong or missing length, a connection held open, a late answer.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class LoopbackHTTPServer {
public:
    // Misbehaviour on purpose is opt-in.
    struct Response {
        int status = 200;
        std::string body{};
        std::string extraHeaders{};            // whole lines, each ending in "\r\n"
        std::optional<size_t> contentLength{}; // the declared length; the body's size when unset
        bool declareLength = true;             // false: no Content-Length, the close ends the body
        bool holdOpen = false;                 // after the body, wait until the client goes away
        std::chrono::milliseconds delay{0};    // before answering
    };

    LoopbackHTTPServer()
    {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            listen(listener_, 8) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot open loopback server");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~LoopbackHTTPServer()
    {
        stopping_ = true;
        thread_.join();
        close(listener_);
    }

    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

    void respond(const std::string& path, Response response)
    {
        std::lock_guard lock(mutex_);
        responses_[path] = std::move(response);
    }

    std::vector<std::string> requestedPaths() const
    {
        std::lock_guard lock(mutex_);
        return requested_;
    }

private:
    void serve()
    {
        while (!stopping_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 20) <= 0)
                continue;
            const int connection = accept(listener_, nullptr, nullptr);
            if (connection >= 0) {
                handle(connection);
                close(connection);
            }
        }
    }

    void handle(int connection)
    {
        std::string request;
        char chunk[1024];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t received = recv(connection, chunk, sizeof(chunk), 0);
            if (received <= 0)
                return;
            request.append(chunk, static_cast<size_t>(received));
        }
        const size_t pathStart = request.find(' ') + 1;
        const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
        Response response{404, "not found"};
        {
            std::lock_guard lock(mutex_);
            requested_.push_back(path);
            if (auto found = responses_.find(path); found != responses_.end())
                response = found->second;
        }
        std::this_thread::sleep_for(response.delay);
        std::string reply = "HTTP/1.1 " + std::to_string(response.status) + " Status\r\n" + response.extraHeaders;
        if (response.declareLength)
            reply += "Content-Length: " + std::to_string(response.contentLength.value_or(response.body.size())) + "\r\n";
        reply += "Connection: close\r\n\r\n" + response.body;
        size_t sent = 0;
        while (sent < reply.size()) {
            const ssize_t written = send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
            if (written <= 0)
                return;
            sent += static_cast<size_t>(written);
        }
        while (response.holdOpen && !stopping_) {
            pollfd peer{connection, POLLIN, 0};
            if (poll(&peer, 1, 20) > 0 && recv(connection, chunk, sizeof(chunk), 0) <= 0)
                return;
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, Response> responses_;
    std::vector<std::string> requested_;
};
