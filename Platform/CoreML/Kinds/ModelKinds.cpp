#include "Platform/CoreML/Kinds/ModelKinds.h"

#include "Platform/CoreML/Kinds/AudioEncoderKind.h"
#include "Platform/CoreML/Kinds/ContextPrefillKind.h"
#include "Platform/CoreML/Kinds/MelSpectrogramKind.h"
#include "Platform/CoreML/Kinds/TextDecoderKind.h"

#include <array>
#include <map>
#include <mutex>
#include <utility>

namespace Platform::CoreML {
namespace {

constexpr std::array kKinds{
    std::pair<std::string_view, ModelKindConstructor>{"MelSpectrogram", &MelSpectrogramKind::make},
    std::pair<std::string_view, ModelKindConstructor>{"AudioEncoder", &AudioEncoderKind::make},
    std::pair<std::string_view, ModelKindConstructor>{"TextDecoder", &TextDecoderKind::make},
    std::pair<std::string_view, ModelKindConstructor>{"TextDecoderContextPrefill", &ContextPrefillKind::make},
};

// The kinds tests have registered; folders load on any thread.
struct RegisteredKinds {
    std::mutex mutex;
    std::map<std::string, ModelKindConstructor, std::less<>> kinds;
};

RegisteredKinds& registeredKinds()
{
    static RegisteredKinds registered;
    return registered;
}

} // namespace

ModelKindConstructor modelKindConstructor(std::string_view kind)
{
    for (const auto& [name, constructor] : kKinds)
        if (name == kind)
            return constructor;
    RegisteredKinds& registered = registeredKinds();
    std::lock_guard lock(registered.mutex);
    const auto found = registered.kinds.find(kind);
    return found == registered.kinds.end() ? nullptr : found->second;
}

std::string knownModelKinds()
{
    std::string names;
    for (const auto& entry : kKinds)
        names += (names.empty() ? "" : ", ") + std::string(entry.first);
    RegisteredKinds& registered = registeredKinds();
    std::lock_guard lock(registered.mutex);
    for (const auto& entry : registered.kinds)
        names += ", " + entry.first;
    return names;
}

ModelKindRegistration::ModelKindRegistration(std::string kind, ModelKindConstructor constructor)
    : kind_(std::move(kind))
{
    RegisteredKinds& registered = registeredKinds();
    std::lock_guard lock(registered.mutex);
    registered.kinds[kind_] = constructor;
}

ModelKindRegistration::~ModelKindRegistration()
{
    RegisteredKinds& registered = registeredKinds();
    std::lock_guard lock(registered.mutex);
    registered.kinds.erase(kind_);
}

} // namespace Platform::CoreML
