#include "App/Processing/CommandDetector.h"

#include "App/Doubles/RecordingCommandEffects.h"

#include <gtest/gtest.h>

using namespace QEL;
using Press = Testing::RecordingCommandEffects::KeyPress;

namespace {

struct CommandDetectorTest : testing::Test {
    std::shared_ptr<Testing::RecordingCommandEffects> effects = std::make_shared<Testing::RecordingCommandEffects>();
    CommandDetector detector{effects};
};

} // namespace

TEST_F(CommandDetectorTest, RecognisesOnlyAWholeUtteranceThatIsOneCommand)
{
    const struct {
        const char* text;
        std::optional<VoiceCommand> expected;
    } cases[] = {
        {"new line", VoiceCommand::newLine},
        {"New line!", VoiceCommand::newLine},
        {"  New Line.\n", VoiceCommand::newLine},
        {"Comma.", VoiceCommand::comma},
        {"«UNDO»", VoiceCommand::undo},
        {"undo that", VoiceCommand::undoThat},
        {"Stop dictation.", VoiceCommand::stopDictation},
        {"new line please", std::nullopt},
        {"please new line", std::nullopt},
        {"new  line", std::nullopt},
        {". new line", std::nullopt}, // white space is not trimmed again after the punctuation
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(detector.detect(c.text), c.expected) << c.text;
    for (VoiceCommand command : allVoiceCommands) EXPECT_EQ(detector.detect(rawValue(command)), command);
}

TEST_F(CommandDetectorTest, ExecutesKeyPressesWithExactModifiers)
{
    const struct {
        VoiceCommand command;
        std::vector<Press> presses;
    } cases[] = {
        {VoiceCommand::deleteThat, {{Key::deleteKey, ModifierFlags{}}}},
        {VoiceCommand::undoThat, {{Key::z, ModifierFlags::command}}},
        {VoiceCommand::undo, {{Key::z, ModifierFlags::command}}},
        {VoiceCommand::newLine, {{Key::returnKey, ModifierFlags{}}}},
        {VoiceCommand::newParagraph, {{Key::returnKey, ModifierFlags{}}, {Key::returnKey, ModifierFlags{}}}},
        {VoiceCommand::selectAll, {{Key::a, ModifierFlags::command}}},
        {VoiceCommand::copyThat, {{Key::c, ModifierFlags::command}}},
        {VoiceCommand::pasteThat, {{Key::v, ModifierFlags::command}}},
    };
    for (const auto& c : cases) {
        effects->presses.clear();
        detector.execute(c.command);
        EXPECT_EQ(effects->presses, c.presses) << rawValue(c.command);
    }
}

TEST_F(CommandDetectorTest, ScratchThatDeletesThenTenWordsBack)
{
    detector.execute(VoiceCommand::scratchThat);
    std::vector<Press> expected{{Key::deleteKey, ModifierFlags{}}};
    expected.insert(expected.end(), 10, Press{Key::deleteKey, ModifierFlags::option});
    EXPECT_EQ(effects->presses, expected);
}

TEST_F(CommandDetectorTest, PunctuationIsPastedAloneAndTheClipboardComesBackAfterATenthOfASecond)
{
    const struct {
        VoiceCommand command;
        const char* mark;
    } cases[] = {
        {VoiceCommand::period, "."},          {VoiceCommand::comma, ","}, {VoiceCommand::questionMark, "?"},
        {VoiceCommand::exclamationMark, "!"}, {VoiceCommand::colon, ":"}, {VoiceCommand::semicolon, ";"},
    };
    for (const auto& c : cases) {
        effects->pastes.clear();
        detector.execute(c.command);
        EXPECT_EQ(effects->pastes,
                  (std::vector<Testing::RecordingCommandEffects::Paste>{{c.mark, std::chrono::milliseconds(100)}}))
            << rawValue(c.command);
    }
    EXPECT_TRUE(effects->presses.empty());
    EXPECT_EQ(effects->stopRequests, 0);
}

TEST_F(CommandDetectorTest, StopDictationOnlyStartsStopping)
{
    detector.execute(VoiceCommand::stopDictation);
    EXPECT_EQ(effects->stopRequests, 1);
    EXPECT_TRUE(effects->presses.empty());
    EXPECT_TRUE(effects->pastes.empty());
}

TEST(CommandDetector, RefusesToWorkWithoutEffects)
{
    EXPECT_THROW(CommandDetector(nullptr), std::invalid_argument);
}
