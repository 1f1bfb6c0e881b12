#pragma once

#include "Platform/JSON/JSONCoding.h"

#include <optional>
#include <variant>
#include <vector>

namespace RadozodEri {

// How the engine takes in audio input.
struct AudioInputConfig {
    // How a recording of several channels becomes one.
    struct ChannelMode {
        // That channel, numbered from 0; one that does not exist means channel 0.
        struct SpecificChannel {
            int channel = 0;
            bool operator==(const SpecificChannel&) const = default;
        };
        // The sum of the listed channels, rescaled to the peak of the loudest;
        // every channel when there is no list or an empty one.
        struct SumChannels {
            std::optional<std::vector<int>> channels;
            bool operator==(const SumChannels&) const = default;
        };

        static ChannelMode specificChannel(int channel) { return {SpecificChannel{channel}}; }
        static ChannelMode sumChannels(std::optional<std::vector<int>> channels = std::nullopt)
        {
            return {SumChannels{std::move(channels)}};
        }

        std::variant<SpecificChannel, SumChannels> value;

        // The case and its list compare; no list differs from an empty one.
        bool operator==(const ChannelMode&) const = default;
    };

    ChannelMode channelMode = ChannelMode::sumChannels();

    bool operator==(const AudioInputConfig&) const = default;

    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static AudioInputConfig fromJSON(const rapidjson::Value& json);
};

} // namespace RadozodEri

// An object with one key, the case, holding {"_0": channel or list}; an
// absent list leaves the inner object empty: {"sumChannels":{}}.
template <>
struct Platform::JSON::Coding<RadozodEri::AudioInputConfig::ChannelMode> {
    static rapidjson::Value encode(const RadozodEri::AudioInputConfig::ChannelMode& mode, Allocator& allocator);
    static RadozodEri::AudioInputConfig::ChannelMode decode(const rapidjson::Value& json);
};
