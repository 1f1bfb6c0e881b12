#pragma once

// A special token that a post-processor adds: its id and its text, read as a
// token value or as a two-element array of the text and a non-negative id.

#include "Hub/Config/Config.h"

#include <cstdint>
#include <string>

namespace Tokenizers {

struct SpecialToken {
    std::uint64_t id;
    std::string text;

    // The token under `key`; without one: "Missing `<key>` processor
    // configuration".
    static SpecialToken required(const Hub::Config& config, const std::string& key);
};

} // namespace Tokenizers
