#pragma once

// Converting a list element by element, for the list forms of the token and
// id lookups.

#include <vector>

namespace Tokenizers {

template <class Range, class Convert>
auto convertEach(const Range& items, Convert&& convert)
{
    std::vector<decltype(convert(*items.begin()))> converted;
    converted.reserve(items.size());
    for (const auto& item : items)
        converted.push_back(convert(item));
    return converted;
}

} // namespace Tokenizers
