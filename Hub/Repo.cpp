#include "Hub/Repo.h"

namespace Hub {

rapidjson::Value Repo::toJSON(Platform::JSON::Allocator& allocator) const
{
    rapidjson::Value object(rapidjson::kObjectType);
    Platform::JSON::encodeMember(object, "id", id, allocator);
    Platform::JSON::encodeMember(object, "type", type, allocator);
    return object;
}

Repo Repo::fromJSON(const rapidjson::Value& json)
{
    return Repo{Platform::JSON::decodeMember<std::string>(json, "id"),
                Platform::JSON::decodeMember<RepoType>(json, "type")};
}

} // namespace Hub

rapidjson::Value Platform::JSON::Coding<Hub::RepoType>::encode(Hub::RepoType type, Allocator& allocator)
{
    return JSON::encode(std::string(Hub::repoTypeNames.name(type)), allocator);
}

Hub::RepoType Platform::JSON::Coding<Hub::RepoType>::decode(const rapidjson::Value& json)
{
    const std::string name = JSON::decode<std::string>(json);
    if (const auto type = Hub::repoTypeNames.value(name))
        return *type;
    throw DecodingError("Unknown repository type \"" + name + "\"; expected models, datasets or spaces");
}
