#include "Jinja/Builtins/Globals.h"

#include <algorithm>

namespace Jinja::Globals {

Value dictionary(const KeywordArguments& keywordArguments)
{
    std::vector<std::pair<String, Value>> members;
    members.reserve(keywordArguments.size());
    for (const auto& [name, value] : keywordArguments)
        members.emplace_back(name, value);
    std::sort(members.begin(), members.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return Value(Object::uncheckedUniqueKeysWithValues(members));
}

} // namespace Jinja::Globals
