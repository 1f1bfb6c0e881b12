#pragma once

#include "Platform/HashCombine.h"

#include <cstdint>
#include <functional>
#include <string>

namespace RadozodEri {

// An input device: a sound-server source that records.
struct AudioDevice {
    std::uint32_t id = 0;
    std::string name;

    bool operator==(const AudioDevice&) const = default;
};

} // namespace RadozodEri

template <>
struct std::hash<RadozodEri::AudioDevice> {
    std::size_t operator()(const RadozodEri::AudioDevice& device) const noexcept
    {
        std::size_t seed = 0;
        Platform::hashCombine(seed, device.id);
        Platform::hashCombine(seed, device.name);
        return seed;
    }
};
