#pragma once

// The session the hub client sends its HEAD requests through: it follows a
// redirect only to another path on the host it started from, so the hub's own
// answer, with its headers, comes back for every other redirect.

#include "Platform/Net/HTTPSession.h"

#include <memory>
#include <mutex>
#include <optional>

namespace Hub {

// The request that follows `response` to `starting`, or none when the
// redirect stays unfollowed: its "Location" is missing, is no URL text, names
// a scheme or host, or is a path that does not start with "/". The followed
// request goes to the same scheme, host and port with the Location's path and
// query, keeps the starting request's method and headers, and adds "Location"
// naming where it goes.
std::optional<Platform::HTTPRequest> followedRedirect(const Platform::HTTPRequest& starting,
                                                      const Platform::HTTPResponse& response);

class RedirectingSession {
public:
    // The final answer; a redirect that is not followed is the answer itself.
    // Throws Platform::NetworkError when the transfer fails or the redirects
    // followed run past HTTPSession::maxRedirects.
    Platform::HTTPResponse send(const Platform::HTTPRequest& request) const;

private:
    Platform::HTTPSession session_;
};

// Hands out one session, made on first use, to every caller at once.
class RedirectSessionActor {
public:
    std::shared_ptr<const RedirectingSession> get();

private:
    std::mutex mutex_;
    std::shared_ptr<const RedirectingSession> session_;
};

} // namespace Hub
