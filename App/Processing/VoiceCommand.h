#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace QEL {

// A spoken editing or control command, named by its lower-case phrase.
enum class VoiceCommand {
    deleteThat,
    scratchThat,
    undoThat,
    undo,
    newLine,
    newParagraph,
    selectAll,
    copyThat,
    pasteThat,
    stopDictation,
    period,
    comma,
    questionMark,
    exclamationMark,
    colon,
    semicolon,
};

// Every command, in matching order.
inline constexpr std::array<VoiceCommand, 16> allVoiceCommands = {
    VoiceCommand::deleteThat,   VoiceCommand::scratchThat,     VoiceCommand::undoThat,
    VoiceCommand::undo,         VoiceCommand::newLine,         VoiceCommand::newParagraph,
    VoiceCommand::selectAll,    VoiceCommand::copyThat,        VoiceCommand::pasteThat,
    VoiceCommand::stopDictation, VoiceCommand::period,         VoiceCommand::comma,
    VoiceCommand::questionMark, VoiceCommand::exclamationMark, VoiceCommand::colon,
    VoiceCommand::semicolon,
};

// The spoken phrase ("new line").
std::string_view rawValue(VoiceCommand command);
// The command whose phrase is exactly `phrase`, or none.
std::optional<VoiceCommand> voiceCommand(std::string_view phrase);

} // namespace QEL
