#include "App/Models/SettingsKeys.h"

#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <set>

namespace SettingsKeys = QEL::SettingsKeys;
using QEL::storedValue;

// A user's settings file holds these names: a setting that changed its name
// would lose what the user chose.
TEST(SettingsKeys, EachSettingKeepsTheNameItIsStoredUnder)
{
    const struct {
        std::string_view key;
        std::string_view stored;
    } cases[] = {
        {SettingsKeys::selectedModel.key, "selectedModel"},
        {SettingsKeys::useQelCoreEngine.key, "useQelCoreEngine"},
        {SettingsKeys::insertionMode.key, "insertionMode"},
        {SettingsKeys::silenceThresholdMs.key, "silenceThresholdMs"},
        {SettingsKeys::removeFillers.key, "removeFillers"},
        {SettingsKeys::enableCommands.key, "enableCommands"},
        {SettingsKeys::selectedLanguage.key, "selectedLanguage"},
        {SettingsKeys::customVocabulary.key, "customVocabulary"},
        {SettingsKeys::vocabularySampleSentence.key, "vocabularySampleSentence"},
        {SettingsKeys::launchAtLogin.key, "launchAtLogin"},
        {SettingsKeys::vadEnergyThreshold.key, "vadEnergyThreshold"},
        {SettingsKeys::overlapWindowMs.key, "overlapWindowMs"},
        {SettingsKeys::hotkeyKeyCode.key, "hotkeyKeyCode"},
        {SettingsKeys::hotkeyModifiers.key, "hotkeyModifiers"},
    };
    std::set<std::string_view> names;
    for (const auto& c : cases) {
        EXPECT_EQ(c.key, c.stored);
        EXPECT_TRUE(names.insert(c.key).second) << c.key << " names two settings";
    }
}

TEST(SettingsKeys, AStoredValueReadsAsItselfOnlyWhenItHasTheSettingsType)
{
    const TestSupport::TemporaryFolder folder;
    Platform::UserDefaults defaults(folder.path() / "QEL.json");

    EXPECT_EQ(storedValue(defaults, SettingsKeys::selectedModel), "openai_whisper-small.en");
    EXPECT_EQ(storedValue(defaults, SettingsKeys::silenceThresholdMs), 400);
    EXPECT_TRUE(storedValue(defaults, SettingsKeys::useQelCoreEngine));
    EXPECT_DOUBLE_EQ(storedValue(defaults, SettingsKeys::vadEnergyThreshold), 0.015);
    EXPECT_TRUE(storedValue(defaults, SettingsKeys::customVocabulary).empty());

    defaults.set(std::string("openai_whisper-tiny"), SettingsKeys::selectedModel.key);
    defaults.set(std::int64_t{650}, SettingsKeys::silenceThresholdMs.key);
    defaults.set(false, SettingsKeys::useQelCoreEngine.key);
    defaults.set(std::vector<std::string>{"Tolvek", "QEL"}, SettingsKeys::customVocabulary.key);
    EXPECT_EQ(storedValue(defaults, SettingsKeys::selectedModel), "openai_whisper-tiny");
    EXPECT_EQ(storedValue(defaults, SettingsKeys::silenceThresholdMs), 650);
    EXPECT_FALSE(storedValue(defaults, SettingsKeys::useQelCoreEngine));
    EXPECT_EQ(storedValue(defaults, SettingsKeys::customVocabulary), (std::vector<std::string>{"Tolvek", "QEL"}));

    // A hand-edited value of another type reads as the default.
    defaults.set(std::string("false"), SettingsKeys::useQelCoreEngine.key);
    defaults.set(0.5, SettingsKeys::silenceThresholdMs.key);
    EXPECT_TRUE(storedValue(defaults, SettingsKeys::useQelCoreEngine));
    EXPECT_EQ(storedValue(defaults, SettingsKeys::silenceThresholdMs), 400);
}
