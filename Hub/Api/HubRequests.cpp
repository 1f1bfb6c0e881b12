#include "Hub/Api/HubApi.h"

#include "Hub/HubClientError.h"

namespace Hub {

namespace {

// Requests wait this long for the next byte before they fail.
constexpr std::chrono::seconds idleTimeout{60};

// GET requests of every client share these connections.
const Platform::HTTPSession& sharedSession()
{
    static const Platform::HTTPSession session;
    return session;
}

void checkStatus(const Platform::HTTPResponse& response, const std::string& url, long highestAccepted)
{
    const long status = response.statusCode;
    if (status >= 200 && status <= highestAccepted)
        return;
    if (status == 401 || status == 403)
        throw HubClientError::authorizationRequired();
    if (status == 404) {
        const auto parsed = Platform::URL::parse(url);
        throw HubClientError::fileNotFound(parsed ? parsed->lastPathComponent() : url);
    }
    throw HubClientError::httpStatusCode(static_cast<int>(status));
}

} // namespace

Platform::HTTPRequest HubApi::request(const std::string& url, std::string method) const
{
    Platform::HTTPRequest request{.url = url, .method = std::move(method), .idleTimeout = idleTimeout};
    if (hubToken && !hubToken->empty())
        request.headers.emplace_back("Authorization", "Bearer " + *hubToken);
    return request;
}

Platform::HTTPResponse HubApi::httpGet(const std::string& url) const
{
    Platform::HTTPResponse response;
    try {
        response = sharedSession().send(request(url, "GET"));
    } catch (const Platform::NetworkError& error) {
        throw HubClientError::downloadError(error.what());
    }
    checkStatus(response, url, 299);
    return response;
}

Platform::HTTPResponse HubApi::httpHead(const std::string& url) const
{
    Platform::HTTPRequest head = request(url, "HEAD");
    head.headers.emplace_back("Accept-Encoding", "identity");
    Platform::HTTPResponse response = redirectSession().get()->send(head);
    checkStatus(response, url, 399);
    return response;
}

} // namespace Hub
