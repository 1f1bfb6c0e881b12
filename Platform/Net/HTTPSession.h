#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace Platform {

// A transfer that failed below HTTP (no connection, bad address, broken
// transfer, a local file that cannot be written); what() says why.
class NetworkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct HTTPResponse {
    long statusCode = 0;
    std::string url;          // the address that answered, after redirects
    std::string description;  // one line naming the address and the status
};

// HTTP transfers over libcurl. Only http and https addresses are fetched.
// Redirects are followed, as a browser would, up to maxRedirects of them.
class HTTPSession {
public:
    static constexpr long maxRedirects = 10;

    HTTPSession();

    // Fetches url and writes the body to destination (created or truncated),
    // whatever the status; the caller decides what the status means. Throws
    // NetworkError when the transfer itself fails, a body shorter than its
    // declared length included.
    HTTPResponse download(const std::string& url, const std::filesystem::path& destination) const;
};

} // namespace Platform
