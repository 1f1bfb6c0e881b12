#include "Hub/Api/LinkHeader.h"

#include "Platform/Text/CharacterSets.h"

namespace Hub {

std::optional<std::string> getLinkURL(const Platform::HTTPResponse& response, std::string_view rel)
{
    const std::optional<std::string> header = response.header("Link");
    if (!header)
        return std::nullopt;
    const std::string quoted = "rel=\"" + std::string(rel) + "\"";
    const std::string bare = "rel=" + std::string(rel);
    std::string_view rest = *header;
    while (!rest.empty()) {
        const size_t comma = std::min(rest.find(','), rest.size());
        const std::string_view piece = Platform::trimming(rest.substr(0, comma), Platform::CharacterSet::whitespaces);
        rest.remove_prefix(std::min(comma + 1, rest.size()));
        if (piece.find(quoted) == std::string_view::npos && piece.find(bare) == std::string_view::npos)
            continue;
        const size_t open = piece.find('<');
        const size_t close = piece.find('>');
        if (open != std::string_view::npos && close != std::string_view::npos && open < close)
            return std::string(piece.substr(open + 1, close - open - 1));
    }
    return std::nullopt;
}

} // namespace Hub
