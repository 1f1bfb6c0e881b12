#pragma once

// A tiny HTTP/1.1 server on 127.0.0.1 for download and hub tests: answers GET
// and HEAD with the response set for the requested target (the path with its
// query, else the path alone; 404 when none), keeps connections alive, and
// records every request with its headers and the connection it came on. A
// response can misbehave on purpose: a wrong or missing length, a connection
// held open, a late answer, a body cut off or dripped slowly, a range ignored.
// Helpers set up the hub's listing and account
// answers and redirects.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <optional>
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
        bool lowerCaseHeaderNames = false;     // every header name in lower case, as over HTTP/2
        bool honourRange = false;              // "Range: bytes=N-" gives 206 with the rest, or 416
        std::optional<size_t> cutAfter{};      // body bytes sent before the connection is closed
        std::chrono::milliseconds drip{0};     // pause before each kibibyte of the body
    };

    struct Request {
        std::string method;
        std::string target;                         // path and query
        std::map<std::string, std::string> headers; // names in lower case
        int connection = 0;                         // counts the connections accepted, from 1
    };

    static Response redirect(int status, std::string location)
    {
        return {.status = status, .extraHeaders = "Location: " + location + "\r\n"};
    }

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
        for (std::thread& connection : connections_)
            connection.join();
        close(listener_);
    }

    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    std::string endpoint() const { return "http://127.0.0.1:" + std::to_string(port_); }

    void respond(const std::string& target, Response response)
    {
        std::lock_guard lock(mutex_);
        responses_[target] = std::move(response);
    }

    // Successive requests for the target get these answers in turn; the last
    // one answers every request after it.
    void respondInTurn(const std::string& target, std::vector<Response> responses)
    {
        std::lock_guard lock(mutex_);
        inTurn_[target] = std::deque<Response>(responses.begin(), responses.end());
    }

    // The hub's file listing of a repository (kind "models", "datasets" or
    // "spaces") at a revision, as the listing request addresses it.
    void respondListing(const std::string& kind, const std::string& id, const std::string& encodedRevision,
                        const std::vector<std::string>& names)
    {
        std::string body = R"({"id":")" + id + R"(","siblings":[)";
        for (size_t index = 0; index < names.size(); ++index)
            body += (index ? "," : "") + std::string(R"({"rfilename":")") + names[index] + "\"}";
        respond("/api/" + kind + "/" + id + "/revision/" + encodedRevision, {.body = body + "]}"});
    }

    // The hub's answer to the account query.
    void respondAccount(std::string body) { respond("/api/whoami-v2", {.body = std::move(body)}); }

    std::vector<std::string> requestedPaths() const
    {
        std::lock_guard lock(mutex_);
        std::vector<std::string> paths;
        for (const Request& request : requests_)
            paths.push_back(request.target);
        return paths;
    }

    std::vector<Request> requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void serve()
    {
        int accepted = 0;
        while (!stopping_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 20) <= 0)
                continue;
            const int connection = accept(listener_, nullptr, nullptr);
            if (connection >= 0)
                connections_.emplace_back([this, connection, number = ++accepted] {
                    converse(connection, number);
                    close(connection);
                });
        }
    }

    // Answers requests on one connection until either side closes it.
    void converse(int connection, int number)
    {
        std::string received;
        while (!stopping_) {
            const size_t end = received.find("\r\n\r\n");
            if (end == std::string::npos) {
                pollfd peer{connection, POLLIN, 0};
                if (poll(&peer, 1, 20) <= 0)
                    continue;
                char chunk[1024];
                const ssize_t count = recv(connection, chunk, sizeof(chunk), 0);
                if (count <= 0)
                    return;
                received.append(chunk, static_cast<size_t>(count));
                continue;
            }
            Request request = parse(received.substr(0, end), number);
            received.erase(0, end + 4);
            if (!answer(connection, request))
                return;
        }
    }

    static Request parse(const std::string& head, int connection)
    {
        Request request;
        request.connection = connection;
        const size_t methodEnd = head.find(' ');
        request.method = head.substr(0, methodEnd);
        request.target = head.substr(methodEnd + 1, head.find(' ', methodEnd + 1) - methodEnd - 1);
        size_t lineStart = head.find("\r\n");
        while (lineStart != std::string::npos) {
            lineStart += 2;
            const size_t lineEnd = std::min(head.find("\r\n", lineStart), head.size());
            const std::string line = head.substr(lineStart, lineEnd - lineStart);
            if (const size_t colon = line.find(':'); colon != std::string::npos) {
                std::string name = line.substr(0, colon);
                std::ranges::transform(name, name.begin(), [](unsigned char c) { return std::tolower(c); });
                const size_t valueStart = line.find_first_not_of(' ', colon + 1);
                request.headers[name] = valueStart == std::string::npos ? "" : line.substr(valueStart);
            }
            lineStart = lineEnd < head.size() ? lineEnd : std::string::npos;
        }
        return request;
    }

    // Sends the answer; false when the connection ends with it.
    bool answer(int connection, const Request& request)
    {
        Response response{404, "not found"};
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
            const std::string path = request.target.substr(0, request.target.find('?'));
            if (auto queued = inTurn_.find(path); queued != inTurn_.end() && !queued->second.empty()) {
                response = queued->second.front();
                if (queued->second.size() > 1)
                    queued->second.pop_front();
            } else if (auto found = responses_.find(request.target); found != responses_.end())
                response = found->second;
            else if (auto byPath = responses_.find(path); byPath != responses_.end())
                response = byPath->second;
        }
        std::this_thread::sleep_for(response.delay);
        if (response.honourRange)
            applyRange(response, request);
        const auto connectionHeader = request.headers.find("connection");
        const bool keepAlive = response.declareLength && !response.holdOpen &&
                               (connectionHeader == request.headers.end() || connectionHeader->second != "close");
        std::string head = response.extraHeaders;
        if (response.declareLength)
            head += "Content-Length: " + std::to_string(response.contentLength.value_or(response.body.size())) + "\r\n";
        head += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
        if (response.lowerCaseHeaderNames)
            lowerCaseNames(head);
        const std::string reply = "HTTP/1.1 " + std::to_string(response.status) + " Status\r\n" + head + "\r\n";
        if (!sendAll(connection, reply))
            return false;
        if (request.method != "HEAD") {
            const std::string body = response.body.substr(0, response.cutAfter.value_or(response.body.size()));
            const size_t piece = response.drip.count() > 0 ? 1024 : std::max<size_t>(body.size(), 1);
            for (size_t start = 0; start < body.size() && !stopping_; start += piece) {
                std::this_thread::sleep_for(response.drip);
                if (!sendAll(connection, body.substr(start, piece)))
                    return false;
            }
            if (response.cutAfter)
                return false;
        }
        while (response.holdOpen && !stopping_) {
            pollfd peer{connection, POLLIN, 0};
            char chunk[1024];
            if (poll(&peer, 1, 20) > 0 && recv(connection, chunk, sizeof(chunk), 0) <= 0)
                return false;
        }
        return keepAlive;
    }

    static bool sendAll(int connection, const std::string& bytes)
    {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t written = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (written <= 0)
                return false;
            sent += static_cast<size_t>(written);
        }
        return true;
    }

    // "bytes=N-" as a download resumes: the rest from N, or 416 past the end.
    static void applyRange(Response& response, const Request& request)
    {
        const auto range = request.headers.find("range");
        if (range == request.headers.end() || !range->second.starts_with("bytes="))
            return;
        const size_t start = std::stoul(range->second.substr(6));
        const size_t size = response.body.size();
        if (start >= size) {
            response = {.status = 416, .extraHeaders = "Content-Range: bytes */" + std::to_string(size) + "\r\n"};
            return;
        }
        response.status = 206;
        response.extraHeaders += "Content-Range: bytes " + std::to_string(start) + "-" + std::to_string(size - 1) +
                                 "/" + std::to_string(size) + "\r\n";
        response.body.erase(0, start);
        if (response.cutAfter)
            response.cutAfter = std::min(*response.cutAfter, response.body.size());
    }

    static void lowerCaseNames(std::string& head)
    {
        for (size_t lineStart = 0; lineStart < head.size(); lineStart = head.find("\r\n", lineStart) + 2)
            for (size_t index = lineStart; index < head.size() && head[index] != ':'; ++index)
                head[index] = static_cast<char>(std::tolower(static_cast<unsigned char>(head[index])));
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::list<std::thread> connections_; // touched by the accepting thread, then by the destructor
    mutable std::mutex mutex_;
    std::map<std::string, Response> responses_;
    std::map<std::string, std::deque<Response>> inTurn_;
    std::vector<Request> requests_;
};
