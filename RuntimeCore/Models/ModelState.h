#pragma once

#include "Platform/EnumNames.h"

#include <ostream>
#include <string_view>

namespace RuntimeCore {

// Where a set of models is in its life: the even cases are on their way
// somewhere (busy), the odd ones at rest.
enum class ModelState { unloading, unloaded, loading, loaded, prewarming, prewarmed, downloading, downloaded };

inline constexpr Platform::EnumNames modelStateDescriptions{std::array{
    std::pair{ModelState::unloading, std::string_view("Unloading")},
    std::pair{ModelState::unloaded, std::string_view("Unloaded")},
    std::pair{ModelState::loading, std::string_view("Loading")},
    std::pair{ModelState::loaded, std::string_view("Loaded")},
    std::pair{ModelState::prewarming, std::string_view("Specializing")},
    std::pair{ModelState::prewarmed, std::string_view("Specialized")},
    std::pair{ModelState::downloading, std::string_view("Downloading")},
    std::pair{ModelState::downloaded, std::string_view("Downloaded")},
}};

// The words a state shows as wherever it appears in a message.
constexpr std::string_view description(ModelState state) { return modelStateDescriptions.name(state); }

constexpr bool isBusy(ModelState state) { return static_cast<int>(state) % 2 == 0; }

inline std::ostream& operator<<(std::ostream& stream, ModelState state) { return stream << description(state); }

} // namespace RuntimeCore
