#pragma once

#include <array>
#include <string_view>

namespace QEL {

// A speech model the settings window offers, with the facts shown beside it.
struct ModelOption {
    std::string_view id; // the model name stored as the selected model
    std::string_view name;
    std::string_view size; // approximate download size
    std::string_view speed;
    std::string_view accuracy;

    bool operator==(const ModelOption&) const = default;
};

// In the order shown, which is not by size.
inline constexpr std::array<ModelOption, 4> availableModels{{
    {"openai_whisper-tiny.en", "Whisper Tiny (English)", "~75 MB", "Fastest", "Good"},
    {"openai_whisper-small.en", "Whisper Small (English)", "~250 MB", "Fast", "Better"},
    {"openai_whisper-base", "Whisper Base (Multilingual)", "~150 MB", "Fast", "Good"},
    {"openai_whisper-large-v3", "Whisper Large v3", "~1.5 GB", "Slow", "Best"},
}};

} // namespace QEL
