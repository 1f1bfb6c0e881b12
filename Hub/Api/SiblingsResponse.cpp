#include "Hub/Api/SiblingsResponse.h"

namespace Hub {

rapidjson::Value Sibling::toJSON(Platform::JSON::Allocator& allocator) const
{
    rapidjson::Value object(rapidjson::kObjectType);
    Platform::JSON::encodeMember(object, "rfilename", rfilename, allocator);
    return object;
}

Sibling Sibling::fromJSON(const rapidjson::Value& json)
{
    return Sibling{Platform::JSON::decodeMember<std::string>(json, "rfilename")};
}

rapidjson::Value SiblingsResponse::toJSON(Platform::JSON::Allocator& allocator) const
{
    rapidjson::Value object(rapidjson::kObjectType);
    Platform::JSON::encodeMember(object, "siblings", siblings, allocator);
    return object;
}

SiblingsResponse SiblingsResponse::fromJSON(const rapidjson::Value& json)
{
    return SiblingsResponse{Platform::JSON::decodeMember<std::vector<Sibling>>(json, "siblings")};
}

} // namespace Hub
