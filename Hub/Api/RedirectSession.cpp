#include "Hub/Api/RedirectSession.h"

#include "Platform/Net/URL.h"

namespace Hub {

namespace {

bool namesSchemeOrHost(std::string_view location)
{
    if (location.starts_with("//"))
        return true;
    const size_t colon = location.find(':');
    return colon != std::string_view::npos && colon < location.find_first_of("/?#");
}

} // namespace

std::optional<Platform::HTTPRequest> followedRedirect(const Platform::HTTPRequest& starting,
                                                      const Platform::HTTPResponse& response)
{
    const std::optional<std::string> location = response.header("Location");
    if (!location || !Platform::isURLText(*location) || namesSchemeOrHost(*location) || !location->starts_with('/'))
        return std::nullopt;
    const auto startingURL = Platform::URL::parse(starting.url);
    if (!startingURL)
        return std::nullopt;
    std::string_view path = std::string_view(*location).substr(0, location->find('#'));
    std::optional<std::string> query;
    if (const size_t question = path.find('?'); question != std::string_view::npos) {
        query = std::string(path.substr(question + 1));
        path = path.substr(0, question);
    }
    const std::string target = startingURL->replacingPathAndQuery(std::string(path), query).string();
    Platform::HTTPRequest followed = starting;
    followed.url = target;
    followed.headers.emplace_back("Location", target);
    return followed;
}

Platform::HTTPResponse RedirectingSession::send(const Platform::HTTPRequest& request) const
{
    Platform::HTTPResponse response = session_.send(request);
    for (long followed = 0; response.statusCode >= 300 && response.statusCode < 400; ++followed) {
        const auto next = followedRedirect(request, response);
        if (!next)
            break;
        if (followed == Platform::HTTPSession::maxRedirects)
            throw Platform::NetworkError(request.method + " " + request.url + " failed: more than " +
                                         std::to_string(Platform::HTTPSession::maxRedirects) + " redirects");
        response = session_.send(*next);
    }
    return response;
}

std::shared_ptr<const RedirectingSession> RedirectSessionActor::get()
{
    std::lock_guard lock(mutex_);
    if (!session_)
        session_ = std::make_shared<const RedirectingSession>();
    return session_;
}

} // namespace Hub
