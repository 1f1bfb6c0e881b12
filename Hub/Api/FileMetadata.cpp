#include "Hub/Api/FileMetadata.h"

#include "Hub/Api/DefaultEndpoint.h"
#include "Hub/Api/LinkHeader.h"

#include <cctype>
#include <charconv>

namespace Hub {

namespace {

std::string_view strippingSlashes(std::string_view text)
{
    while (text.starts_with('/'))
        text.remove_prefix(1);
    while (text.ends_with('/'))
        text.remove_suffix(1);
    return text;
}

std::string replacingAll(std::string text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return text;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

std::optional<std::string> normalizeEtag(std::optional<std::string> etag)
{
    if (!etag)
        return std::nullopt;
    std::string_view tag = *etag;
    if (tag.starts_with("W/"))
        tag.remove_prefix(2);
    while (tag.starts_with('"'))
        tag.remove_prefix(1);
    while (tag.ends_with('"'))
        tag.remove_suffix(1);
    return std::string(tag);
}

std::optional<std::int64_t> parseSize(std::string_view text)
{
    const bool plus = text.starts_with('+');
    if (plus)
        text.remove_prefix(1);
    const std::string_view digits = !plus && text.starts_with('-') ? text.substr(1) : text;
    if (digits.empty() || !std::isdigit(static_cast<unsigned char>(digits.front())))
        return std::nullopt;
    std::int64_t size = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return size;
}

std::optional<XetFileData> parseXetFileDataFromResponse(const Platform::HTTPResponse& response,
                                                        std::string_view endpoint)
{
    std::optional<std::string> fileHash = response.header("x-xet-hash");
    if (!fileHash)
        return std::nullopt;
    std::optional<std::string> route = getLinkURL(response, "xet-auth");
    if (!route)
        route = response.header("X-Xet-Refresh-Route");
    if (!route)
        return std::nullopt;
    if (route->starts_with(defaultEndpoint))
        route = replacingAll(std::move(*route), strippingSlashes(defaultEndpoint), strippingSlashes(endpoint));
    return XetFileData{std::move(*fileHash), std::move(*route)};
}

FileMetadata fileMetadataFromResponse(const Platform::HTTPResponse& response, const std::string& requestedURL,
                                      std::string_view endpoint)
{
    std::optional<std::string> location =
        response.statusCode == 302 ? response.header("Location") : std::optional<std::string>(response.url);
    if (!location || location->empty())
        location = requestedURL;
    std::optional<std::string> etag = response.header("X-Linked-Etag");
    if (!etag)
        etag = response.header("Etag");
    std::optional<std::string> sizeText = response.header("X-Linked-Size");
    if (!sizeText)
        sizeText = response.header("Content-Length");
    return FileMetadata{
        .commitHash = response.header("X-Repo-Commit"),
        .etag = normalizeEtag(std::move(etag)),
        .location = std::move(*location),
        .size = sizeText ? parseSize(*sizeText) : std::nullopt,
        .xetFileData = parseXetFileDataFromResponse(response, endpoint),
    };
}

} // namespace Hub
