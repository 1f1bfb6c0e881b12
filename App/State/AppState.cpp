#include "App/State/AppState.h"

#include "App/AppIdentity.h"
#include "App/Models/SettingsKeys.h"
#include "App/Models/TranscriptHistoryStore.h"
#include "App/Utils/StandardDefaults.h"
#include "Platform/EventLoop/MainThread.h"
#include "Platform/Text/CharacterSets.h"

#include <utility>

namespace QEL {

namespace {

std::string trimmed(std::string_view text)
{
    return std::string(Platform::trimming(text, Platform::CharacterSet::whitespacesAndNewlines));
}

} // namespace

AppState& AppState::shared()
{
    // Never destroyed: the instance outlives the event loop, and a load still
    // downloading when the application quits must not hold up its exit.
    static const auto* const instance =
        new std::shared_ptr<AppState>(create(standardUserDefaults(), TranscriptHistoryStore::shared()));
    return **instance;
}

std::shared_ptr<AppState> AppState::create(Platform::UserDefaults& defaults, TranscriptHistoryStore& history,
                                           const QelCoreLibrary& library)
{
    auto state = std::make_shared<AppState>(Private{}, defaults, history, library);
    state->hotKeyManager_.onToggle = [weak = std::weak_ptr<AppState>(state)] {
        Platform::runOnMainThread(weak, [](AppState& self) { self.toggleRecording(); });
    };
    return state;
}

AppState::AppState(Private, Platform::UserDefaults& defaults, TranscriptHistoryStore& history,
                   const QelCoreLibrary& library)
    : defaults_(defaults), history_(history), library_(library), logger_(AppIdentity::bundleIdentifier, "AppState"),
      transcriptHistory_(history.loadAll()), hotKeyManager_(defaults)
{
}

AppState::~AppState() = default;

void AppState::setTranscriptHistory(std::vector<SavedTranscript> history)
{
    transcriptHistory_ = std::move(history);
    emit transcriptHistoryChanged(transcriptHistory_);
    emit changed();
}

std::string AppState::readyStatus() const
{
    return "Ready — press " + hotKeyManager_.modifierString() + hotKeyManager_.keyString();
}

std::string AppState::selectedModel() const
{
    return storedValue(defaults_, SettingsKeys::selectedModel);
}

void AppState::setSelectedModel(const std::string& model)
{
    defaults_.set(model, SettingsKeys::selectedModel.key);
    emit selectedModelChanged(model);
}

InsertionMode AppState::insertionMode() const
{
    return insertionModeNames.value(defaults_.value<std::string>(SettingsKeys::insertionMode.key).value_or(""))
        .value_or(SettingsKeys::insertionMode.defaultValue);
}

void AppState::setInsertionMode(InsertionMode mode)
{
    defaults_.set(std::string(insertionModeNames.name(mode)), SettingsKeys::insertionMode.key);
    emit insertionModeChanged(mode);
}

std::int64_t AppState::silenceThresholdMs() const
{
    return storedValue(defaults_, SettingsKeys::silenceThresholdMs);
}

void AppState::setSilenceThresholdMs(std::int64_t milliseconds)
{
    defaults_.set(milliseconds, SettingsKeys::silenceThresholdMs.key);
    emit silenceThresholdMsChanged(milliseconds);
}

bool AppState::removeFillers() const
{
    return storedValue(defaults_, SettingsKeys::removeFillers);
}

void AppState::setRemoveFillers(bool remove)
{
    defaults_.set(remove, SettingsKeys::removeFillers.key);
    emit removeFillersChanged(remove);
}

bool AppState::enableCommands() const
{
    return storedValue(defaults_, SettingsKeys::enableCommands);
}

void AppState::setEnableCommands(bool enable)
{
    defaults_.set(enable, SettingsKeys::enableCommands.key);
    emit enableCommandsChanged(enable);
}

std::string AppState::selectedLanguage() const
{
    return storedValue(defaults_, SettingsKeys::selectedLanguage);
}

void AppState::setSelectedLanguage(const std::string& language)
{
    defaults_.set(language, SettingsKeys::selectedLanguage.key);
    emit selectedLanguageChanged(language);
}

std::string AppState::composeInitialPrompt(const Platform::UserDefaults& defaults)
{
    std::string prompt = "QEL is a cross-platform voice dictation app.";
    std::string words;
    for (const std::string& entry : storedValue(defaults, SettingsKeys::customVocabulary)) {
        const std::string word = trimmed(entry);
        if (word.empty())
            continue;
        words += (words.empty() ? "" : ", ") + word;
    }
    if (!words.empty())
        prompt += " Words to remember: " + words + ".";
    const std::string sentence = trimmed(storedValue(defaults, SettingsKeys::vocabularySampleSentence));
    if (!sentence.empty())
        prompt += " " + sentence;
    return prompt;
}

std::string AppState::composeInitialPrompt()
{
    return composeInitialPrompt(standardUserDefaults());
}

} // namespace QEL
