#include "Tokenizers/StageConfig.h"

namespace Tokenizers {

std::optional<std::string> tokenContent(const Hub::Config& value)
{
    if (value.value().kind() == Hub::Config::Data::Case::dictionary)
        return value.member("content").string();
    return value.string();
}

} // namespace Tokenizers
