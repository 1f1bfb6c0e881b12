#include "RuntimeCore/ModelManagement/ModelInfo.h"

#include "RuntimeCore/Models/ModelHelpers.h"

#include <vector>

namespace RuntimeCore {

std::string ModelInfo::downloadPattern() const
{
    return name + "/" + version.value_or("*") + "/" + variant.value_or("*") + "/*";
}

std::filesystem::path ModelInfo::modelURL(const std::filesystem::path& baseURL) const
{
    std::filesystem::path url = baseURL / name;
    if (version)
        url /= *version;
    if (variant)
        url /= *variant;
    return url;
}

std::optional<std::filesystem::path> ModelInfo::findBaseFolder(const std::filesystem::path& url) const
{
    // Empty components (a trailing "/") name no folder.
    std::vector<std::filesystem::path> components;
    for (const std::filesystem::path& component : url)
        if (!component.empty())
            components.push_back(component);
    for (; components.size() >= 2; components.pop_back()) {
        if (components.back() != name)
            continue;
        std::filesystem::path base;
        for (size_t index = 0; index + 1 < components.size(); ++index)
            base /= components[index];
        return base;
    }
    return std::nullopt;
}

std::string ModelInfo::description() const
{
    std::string text = name;
    for (const auto& level : {version, variant})
        if (level)
            text += "/" + *level;
    return text;
}

std::string ModelInfo::debugDescription() const
{
    return "ModelInfo(name: " + name + ", version: " + version.value_or("nil") +
           ", variant: " + variant.value_or("nil") +
           ", computeUnit: " + std::string(RuntimeCore::description(computeUnits)) + ")";
}

} // namespace RuntimeCore
