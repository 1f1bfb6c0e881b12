#include "Platform/CoreML/Kinds/ModelKinds.h"

#include "Platform/CoreML/Kinds/ScriptedDecoder.h"
#include "Platform/CoreML/Kinds/ShapeOnly.h"

#include <array>
#include <utility>

namespace Platform::CoreML {
namespace {

constexpr std::array kKinds{
    std::pair<std::string_view, ModelKindConstructor>{"scripted-decoder", &ScriptedDecoder::make},
    std::pair<std::string_view, ModelKindConstructor>{"shape-only", &ShapeOnly::make},
};

} // namespace

ModelKindConstructor modelKindConstructor(std::string_view kind)
{
    for (const auto& [name, constructor] : kKinds)
        if (name == kind)
            return constructor;
    return nullptr;
}

std::string knownModelKinds()
{
    std::string names;
    for (const auto& entry : kKinds)
        names += (names.empty() ? "" : ", ") + std::string(entry.first);
    return names;
}

} // namespace Platform::CoreML
