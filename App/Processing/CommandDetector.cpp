#include "App/Processing/CommandDetector.h"

#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterSets.h"

#include <stdexcept>
#include <thread>

namespace QEL {

namespace {

// Lets the target application take each Option+Backspace before the next.
constexpr auto scratchPause = std::chrono::milliseconds(20);
constexpr int scratchWordCount = 10;
// The pasted mark must reach the target before the user's clipboard comes back.
constexpr auto pasteboardRestoreDelay = std::chrono::milliseconds(100);

} // namespace

CommandDetector::CommandDetector(std::shared_ptr<CommandEffects> effects) : effects_(std::move(effects))
{
    if (!effects_)
        throw std::invalid_argument("a command detector needs the desktop's command effects");
}

std::optional<VoiceCommand> CommandDetector::detect(std::string_view text) const
{
    const std::string lowered = Platform::lowercased(text);
    std::string_view phrase = Platform::trimming(lowered, Platform::CharacterSet::whitespacesAndNewlines);
    phrase = Platform::trimming(phrase, Platform::CharacterSet::punctuation);
    return voiceCommand(phrase);
}

void CommandDetector::execute(VoiceCommand command) const
{
    CommandEffects& effects = *effects_;
    switch (command) {
    case VoiceCommand::deleteThat: effects.pressKey(Key::deleteKey, ModifierFlags{}); break;
    case VoiceCommand::scratchThat:
        effects.pressKey(Key::deleteKey, ModifierFlags{});
        for (int word = 0; word < scratchWordCount; ++word) {
            effects.pressKey(Key::deleteKey, ModifierFlags::option);
            std::this_thread::sleep_for(scratchPause);
        }
        break;
    case VoiceCommand::undoThat:
    case VoiceCommand::undo: effects.pressKey(Key::z, ModifierFlags::command); break;
    case VoiceCommand::newLine: effects.pressKey(Key::returnKey, ModifierFlags{}); break;
    case VoiceCommand::newParagraph:
        effects.pressKey(Key::returnKey, ModifierFlags{});
        effects.pressKey(Key::returnKey, ModifierFlags{});
        break;
    case VoiceCommand::selectAll: effects.pressKey(Key::a, ModifierFlags::command); break;
    case VoiceCommand::copyThat: effects.pressKey(Key::c, ModifierFlags::command); break;
    case VoiceCommand::pasteThat: effects.pressKey(Key::v, ModifierFlags::command); break;
    case VoiceCommand::stopDictation: effects.stopDictation(); break;
    case VoiceCommand::period: insertPunctuation("."); break;
    case VoiceCommand::comma: insertPunctuation(","); break;
    case VoiceCommand::questionMark: insertPunctuation("?"); break;
    case VoiceCommand::exclamationMark: insertPunctuation("!"); break;
    case VoiceCommand::colon: insertPunctuation(":"); break;
    case VoiceCommand::semicolon: insertPunctuation(";"); break;
    }
}

void CommandDetector::insertPunctuation(const std::string& mark) const
{
    effects_->pasteText(mark, pasteboardRestoreDelay);
}

} // namespace QEL
