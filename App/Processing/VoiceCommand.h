#pragma once

#include "Platform/EnumNames.h"

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

// Every command with its spoken phrase, in matching order.
inline constexpr Platform::EnumNames voiceCommandNames{std::array{
    std::pair{VoiceCommand::deleteThat, std::string_view("delete that")},
    std::pair{VoiceCommand::scratchThat, std::string_view("scratch that")},
    std::pair{VoiceCommand::undoThat, std::string_view("undo that")},
    std::pair{VoiceCommand::undo, std::string_view("undo")},
    std::pair{VoiceCommand::newLine, std::string_view("new line")},
    std::pair{VoiceCommand::newParagraph, std::string_view("new paragraph")},
    std::pair{VoiceCommand::selectAll, std::string_view("select all")},
    std::pair{VoiceCommand::copyThat, std::string_view("copy that")},
    std::pair{VoiceCommand::pasteThat, std::string_view("paste that")},
    std::pair{VoiceCommand::stopDictation, std::string_view("stop dictation")},
    std::pair{VoiceCommand::period, std::string_view("period")},
    std::pair{VoiceCommand::comma, std::string_view("comma")},
    std::pair{VoiceCommand::questionMark, std::string_view("question mark")},
    std::pair{VoiceCommand::exclamationMark, std::string_view("exclamation mark")},
    std::pair{VoiceCommand::colon, std::string_view("colon")},
    std::pair{VoiceCommand::semicolon, std::string_view("semicolon")},
}};

// Every command, in matching order.
inline constexpr std::array<VoiceCommand, voiceCommandNames.entries.size()> allVoiceCommands =
    voiceCommandNames.allCases();

// The spoken phrase ("new line").
constexpr std::string_view rawValue(VoiceCommand command)
{
    return voiceCommandNames.name(command);
}

// The command whose phrase is exactly `phrase`, or none.
constexpr std::optional<VoiceCommand> voiceCommand(std::string_view phrase)
{
    return voiceCommandNames.value(phrase);
}

} // namespace QEL
