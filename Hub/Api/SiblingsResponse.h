#pragma once

// The hub's listing of a repository's files, as JSON records.

#include "Platform/JSON/JSONCoding.h"

#include <string>
#include <vector>

namespace Hub {

struct Sibling {
    // The file's path inside the repository.
    std::string rfilename;

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static Sibling fromJSON(const rapidjson::Value& json);
};

struct SiblingsResponse {
    std::vector<Sibling> siblings;

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static SiblingsResponse fromJSON(const rapidjson::Value& json);
};

} // namespace Hub
