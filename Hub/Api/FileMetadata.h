#pragma once

// What the hub says about one file in answer to a HEAD request, and how its
// headers are read.

#include "Platform/Net/HTTPSession.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Hub {

// Where the hub's chunked storage keeps the file, and where access to it is
// renewed.
struct XetFileData {
    std::string fileHash;
    std::string refreshRoute;

    bool operator==(const XetFileData&) const = default;
};

struct FileMetadata {
    std::optional<std::string> commitHash;
    std::optional<std::string> etag;
    // Where the content is served from.
    std::string location;
    std::optional<std::int64_t> size;
    std::optional<XetFileData> xetFileData;

    bool operator==(const FileMetadata&) const = default;
};

// Without one leading "W/" and without double quotes at either end.
std::optional<std::string> normalizeEtag(std::optional<std::string> etag);

// A decimal integer with an optional sign and nothing else, within 64 bits.
std::optional<std::int64_t> parseSize(std::string_view text);

// The hash from "x-xet-hash" and the route from the "xet-auth" link, else from
// "X-Xet-Refresh-Route"; none unless both are there. A route on the default
// endpoint is moved onto `endpoint`, so a client pointed at another hub renews
// its access there.
std::optional<XetFileData> parseXetFileDataFromResponse(const Platform::HTTPResponse& response,
                                                        std::string_view endpoint);

// The record for the answer to a HEAD request for `requestedURL`: the location
// is the "Location" of a 302, else the address that answered, else the one asked.
FileMetadata fileMetadataFromResponse(const Platform::HTTPResponse& response, const std::string& requestedURL,
                                      std::string_view endpoint);

} // namespace Hub
