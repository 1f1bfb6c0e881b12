#pragma once

// The kinds of repository a hub holds and the reference to one repository,
// with their JSON forms.

#include "Platform/EnumNames.h"
#include "Platform/JSON/JSONCoding.h"

#include <optional>
#include <string>
#include <string_view>

namespace Hub {

enum class RepoType { models, datasets, spaces };

inline constexpr Platform::EnumNames repoTypeNames{std::array{
    std::pair{RepoType::models, std::string_view("models")},
    std::pair{RepoType::datasets, std::string_view("datasets")},
    std::pair{RepoType::spaces, std::string_view("spaces")},
}};

struct Repo {
    // As the hub names it, such as an owner and a name separated by "/".
    std::string id;
    RepoType type = RepoType::models;

    bool operator==(const Repo&) const = default;

    // {"id": ..., "type": ...}, both required.
    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static Repo fromJSON(const rapidjson::Value& json);
};

} // namespace Hub

// A repository type is written as its name; any other text is refused.
template <>
struct Platform::JSON::Coding<Hub::RepoType> {
    static rapidjson::Value encode(Hub::RepoType type, Allocator& allocator);
    static Hub::RepoType decode(const rapidjson::Value& json);
};
