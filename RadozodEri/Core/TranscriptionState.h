#pragma once

#include "Platform/EnumNames.h"

#include <string_view>

namespace RadozodEri {

// The coarse state of a transcription, as the engine reports it.
enum class TranscriptionState { convertingAudio, transcribing, finished };

inline constexpr Platform::EnumNames<TranscriptionState, 3> transcriptionStateNames {{{
    {TranscriptionState::convertingAudio, "Converting Audio"},
    {TranscriptionState::transcribing, "Transcribing"},
    {TranscriptionState::finished, "Finished"},
}}};

constexpr std::string_view description(TranscriptionState state) { return transcriptionStateNames.name(state); }

} // namespace RadozodEri
