#include "App/Processing/VoiceCommand.h"

namespace QEL {

std::string_view rawValue(VoiceCommand command)
{
    switch (command) {
    case VoiceCommand::deleteThat: return "delete that";
    case VoiceCommand::scratchThat: return "scratch that";
    case VoiceCommand::undoThat: return "undo that";
    case VoiceCommand::undo: return "undo";
    case VoiceCommand::newLine: return "new line";
    case VoiceCommand::newParagraph: return "new paragraph";
    case VoiceCommand::selectAll: return "select all";
    case VoiceCommand::copyThat: return "copy that";
    case VoiceCommand::pasteThat: return "paste that";
    case VoiceCommand::stopDictation: return "stop dictation";
    case VoiceCommand::period: return "period";
    case VoiceCommand::comma: return "comma";
    case VoiceCommand::questionMark: return "question mark";
    case VoiceCommand::exclamationMark: return "exclamation mark";
    case VoiceCommand::colon: return "colon";
    case VoiceCommand::semicolon: return "semicolon";
    }
    return {};
}

std::optional<VoiceCommand> voiceCommand(std::string_view phrase)
{
    for (VoiceCommand command : allVoiceCommands)
        if (rawValue(command) == phrase)
            return command;
    return std::nullopt;
}

} // namespace QEL
