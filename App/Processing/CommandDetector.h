#pragma once

#include "App/Processing/CommandEffects.h"
#include "App/Processing/VoiceCommand.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace QEL {

// Recognises an utterance that as a whole is one voice command, and carries
// the command out through the desktop's effects.
class CommandDetector {
public:
    // `effects` must not be null.
    explicit CommandDetector(std::shared_ptr<CommandEffects> effects);

    // The command that the whole text names, ignoring letter case, surrounding
    // white space and then surrounding punctuation; none for anything else.
    std::optional<VoiceCommand> detect(std::string_view text) const;

    // Performs the command's key presses, pastes its punctuation mark or starts
    // stopping dictation. Blocks the calling thread only for the pauses of
    // "scratch that".
    void execute(VoiceCommand command) const;

private:
    void insertPunctuation(const std::string& mark) const;

    std::shared_ptr<CommandEffects> effects_;
};

} // namespace QEL
