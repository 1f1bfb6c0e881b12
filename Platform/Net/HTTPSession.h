#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
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

private:
    struct Connections;
    std::shared_ptr<Connections> connections_;
};

} // namespace Platform
