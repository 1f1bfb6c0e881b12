#include "Jinja/Runtime/ArgumentBinding.h"

#include "Jinja/JinjaError.h"

#include <algorithm>

namespace Jinja {

namespace {

[[noreturn]] void fail(std::string message)
{
    throw JinjaError(JinjaError::Kind::runtime, std::move(message));
}

std::string passedBoth(std::string_view name)
{
    return "Argument '" + std::string(name) + "' passed both positionally and as keyword.";
}

} // namespace

std::vector<Value> resolveCallArguments(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                                        std::span<const Parameter> parameters)
{
    std::vector<std::optional<Value>> bound(parameters.size());
    const std::size_t positional = std::min(arguments.size(), parameters.size());
    for (std::size_t index = 0; index < positional; ++index) {
        if (keywordArguments.contains(String(parameters[index].name)))
            fail(passedBoth(parameters[index].name));
        bound[index] = arguments[index];
    }
    for (const auto& [key, value] : keywordArguments) {
        const auto parameter = std::ranges::find(parameters, std::string_view(key.utf8()), &Parameter::name);
        if (parameter == parameters.end())
            fail("Unexpected keyword argument '" + key.utf8() + "' for filter.");
        auto& slot = bound[static_cast<std::size_t>(parameter - parameters.begin())];
        if (slot)
            fail(passedBoth(key.utf8()));
        slot = value;
    }
    std::vector<Value> result;
    result.reserve(parameters.size());
    for (std::size_t index = 0; index < parameters.size(); ++index) {
        if (bound[index])
            result.push_back(std::move(*bound[index]));
        else if (parameters[index].defaultValue)
            result.push_back(*parameters[index].defaultValue);
        else
            fail("Missing required argument '" + std::string(parameters[index].name) + "' for filter.");
    }
    return result;
}

} // namespace Jinja
