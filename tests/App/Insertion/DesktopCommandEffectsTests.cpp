#include "App/Insertion/DesktopCommandEffects.h"

#include "App/Insertion/KeystrokeInserter.h"
#include "App/Processing/CommandDetector.h"
#include "InsertionTest.h"
#include "Support/Screenshot.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

using namespace QEL;
using VoiceCommandsOnDesktop = Testing::InsertionTest;

TEST(DesktopCommandEffects, StopDictationStopsTheRecordingOnTheMainThread)
{
    const std::thread::id mainThread = std::this_thread::get_id();
    std::optional<std::thread::id> stoppedOn;
    DesktopCommandEffects effects([&] { stoppedOn = std::this_thread::get_id(); });
    TestSupport::runOnWorkerThread([&] { effects.stopDictation(); });
    EXPECT_TRUE(TestSupport::waitUntil([&] { return stoppedOn.has_value(); }));
    EXPECT_EQ(stoppedOn, mainThread);
    EXPECT_THROW(DesktopCommandEffects(nullptr), std::invalid_argument);
}

TEST_F(VoiceCommandsOnDesktop, EditingCommandsActOnTheFocusedApplication)
{
    field->copySample();
    KeystrokeInserter typist(0);
    const CommandDetector commands(std::make_shared<DesktopCommandEffects>([] {}));
    const auto step = [&](const std::string& typed, VoiceCommand command, const std::string& expected) {
        TestSupport::runOnWorkerThread([&] {
            typist.insert(typed);
            commands.execute(command);
        });
        EXPECT_TRUE(field->waitForText(expected)) << rawValue(command) << ": " << field->text();
    };

    step("one two", VoiceCommand::period, "one two.");
    EXPECT_TRUE(TestSupport::waitUntil([&] { return field->clipboardHolds(TestSupport::sampleClipboard()); }))
        << "the user's clipboard is back after the pasted mark";
    step("", VoiceCommand::newLine, "one two.\n");
    // A Backspace, then ten words back.
    step("zero one two three four five six seven eight nine ten eleven twelve", VoiceCommand::scratchThat,
         "one two.\nzero one two ");
    TestSupport::saveScreenshot("scratched", field->window());
    step("", VoiceCommand::selectAll, "one two.\nzero one two ");
    step("", VoiceCommand::copyThat, "one two.\nzero one two ");
    EXPECT_TRUE(TestSupport::waitUntil([&] { return field->clipboardText() == "one two.\nzero one two "; }));
}
