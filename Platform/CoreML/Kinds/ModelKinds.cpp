#include "Platform/CoreML/Kinds/ModelKinds.h"

#include "Platform/CoreML/Kinds/AudioEncoderKind.h"
#include "Platform/CoreML/Kinds/ContextPrefillKind.h"
#include "Platform/CoreML/Kinds/MelSpectrogramKind.h"
#include "Platform/CoreML/Kinds/ScriptedDecoder.h"
#include "Platform/CoreML/Kinds/ShapeOnly.h"
#include "Platform/CoreML/Kinds/TextDecoderKind.h"

#include <array>
#include <utility>

namespace Platform::CoreML {
namespace {

constexpr std::array kKinds{
    std::pair<std::string_view, ModelKindConstructor>{"MelSpectrogram", &MelSpectrogramKind::make},
    std::pair<std::string_view, ModelKindConstructor>{"AudioEncoder", &AudioEncoderKind::make},
    std::pair<std::string_view, ModelKindConstructor>{"TextDecoder", &TextDecoderKind::make},
    std::pair<std::string_view, ModelKindConstructor>{"TextDecoderContextPrefill", &ContextPrefillKind::make},
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
