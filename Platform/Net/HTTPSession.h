#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Platform {

// A transfer that failed below HTTP (no connection, bad address, broken
// transfer, a local file that cannot be written); what() says why.
class NetworkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A transfer stopped because its caller asked it to stop.
class TransferCancelled : public NetworkError {
public:
    TransferCancelled() : NetworkError("cancelled") {}
};

using HTTPHeaders = std::vector<std::pair<std::string, std::string>>;

// The value of the first header called `name`. Header names are compared
// without regard to case: over HTTP/2 every name arrives in lower case.
std::optional<std::string> headerValue(const HTTPHeaders& headers, std::string_view name);

struct HTTPRequest {
    std::string url;
    std::string method = "GET";
    HTTPHeaders headers{};
    // The transfer fails once nothing arrives for this long; a slow but steady
    // transfer may take as long as it needs.
    std::chrono::seconds idleTimeout{60};
};

struct HTTPResponse {
    long statusCode = 0;
    std::string url;         // the address that answered, after redirects
    std::string description; // one line naming the address and the status
    HTTPHeaders headers{};   // names as the server wrote them, in its order
    std::string body{};

    std::optional<std::string> header(std::string_view name) const { return headerValue(headers, name); }
};

// Takes a streamed answer as it arrives: `begin` once with the status and
// headers of the final answer, before any byte of its body (false drops the
// body and ends the transfer quietly), then `receive` for each piece of the
// body. An exception thrown by either ends the transfer and passes on.
struct HTTPBodyReceiver {
    std::function<bool(const HTTPResponse& head)> begin;
    std::function<void(std::string_view bytes)> receive;
};

// HTTP transfers over libcurl. Only http and https addresses are fetched.
// Copies of a session share its idle connections, so consecutive requests to
// one server reuse one connection; a session may be used from several threads.
class HTTPSession {
public:
    static constexpr long maxRedirects = 10;

    HTTPSession();

    // Fetches url and writes the body to destination (created or truncated),
    // whatever the status; the caller decides what the status means. Redirects
    // are followed, as a browser would, up to maxRedirects of them. Throws
    // NetworkError when the transfer itself fails, a body shorter than its
    // declared length included.
    HTTPResponse download(const std::string& url, const std::filesystem::path& destination) const;

    // Sends the request and returns the answer, whatever its status, without
    // following redirects: a 3xx answer is the result. A header name or value
    // holding a line break is refused, since it would smuggle in headers of its
    // own. Throws NetworkError when the transfer fails.
    HTTPResponse send(const HTTPRequest& request) const;

    // Sends the request, following redirects as download() does, and hands the
    // answer to `receiver` while it arrives, so a large body never sits in
    // memory; the returned answer has no body. Throws NetworkError when the
    // transfer fails (a body cut short included, after what came was received)
    // and TransferCancelled soon after `stop` is requested, even while the
    // server sends nothing.
    HTTPResponse stream(const HTTPRequest& request, const HTTPBodyReceiver& receiver, std::stop_token stop = {}) const;

private:
    struct Connections;
    std::shared_ptr<Connections> connections_;
};

} // namespace Platform
