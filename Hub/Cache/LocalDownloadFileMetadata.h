#pragma once

// What the cache records about one downloaded file: the commit and the content
// version (etag) it was fetched for, and when.

#include <string>

namespace Hub {

struct LocalDownloadFileMetadata {
    std::string commitHash;
    std::string etag;
    // The record's own file name without ".metadata".
    std::string filename;
    // Seconds since 1970-01-01 00:00:00 UTC.
    double timestamp = 0;

    bool operator==(const LocalDownloadFileMetadata&) const = default;
};

} // namespace Hub
