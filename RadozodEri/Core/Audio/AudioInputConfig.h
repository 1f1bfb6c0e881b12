#pragma once

namespace RadozodEri {

// How the engine takes in audio input.
struct AudioInputConfig {
    bool operator==(const AudioInputConfig&) const = default;
};

} // namespace RadozodEri
