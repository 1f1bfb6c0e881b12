#include "Tokenizers/StageConfig.h"

#include <limits>

namespace Tokenizers {

std::optional<std::string> tokenContent(const Hub::Config& value)
{
    if (value.value().kind() == Hub::Config::Data::Case::dictionary)
        return value.member("content").string();
    return value.string();
}

std::optional<int> tokenId(const Hub::Config& value)
{
    const std::optional<std::int64_t> id = value.integer();
    if (!id || *id < std::numeric_limits<int>::min() || *id > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*id);
}

} // namespace Tokenizers
