#include "App/Processing/TextProcessor.h"

#include "App/Doubles/RecordingCommandEffects.h"

#include <gtest/gtest.h>

using namespace QEL;

namespace {

QELTranscriptionResult result(std::string text)
{
    return {.text = std::move(text),
            .isPartial = true,
            .segments = {{"x", 0, 1}},
            .language = "en",
            .processingTime = 0.25};
}

TextProcessor processor(bool fillers, bool commands, AppContext context = AppContext::general)
{
    std::optional<CommandDetector> detector;
    if (commands)
        detector.emplace(std::make_shared<Testing::RecordingCommandEffects>());
    return TextProcessor(fillers ? std::optional<FillerRemover>(FillerRemover()) : std::nullopt, detector,
                         SmartFormatter(), [context] { return context; });
}

} // namespace

TEST(TextProcessor, CleansAnUtteranceStepByStep)
{
    const auto processed = processor(true, true).process(result("um so I need twenty five dollars by three thirty pm"));
    EXPECT_EQ(processed, (ProcessedResult{
                             .text = "I need 25 dollars by 3:30 PM",
                             .originalText = "um so I need twenty five dollars by three thirty pm",
                             .isPartial = true,
                             .detectedCommand = std::nullopt,
                             .language = "en",
                             .processingTime = 0.25,
                         }));
}

TEST(TextProcessor, ACommandUtteranceKeepsItsExactText)
{
    const auto processed = processor(true, true).process(result("New line!"));
    EXPECT_EQ(processed.detectedCommand, VoiceCommand::newLine);
    EXPECT_EQ(processed.text, "New line!");
    EXPECT_EQ(processed.originalText, "New line!");
    EXPECT_TRUE(processed.isPartial);
    EXPECT_EQ(processed.language, "en");
    EXPECT_EQ(processed.processingTime, 0.25);
    ASSERT_TRUE(processor(true, true).commandDetector().has_value());
}

TEST(TextProcessor, CommandsSwitchedOffLeaveCommandPhrasesAsText)
{
    const auto processed = processor(true, false).process(result("new line"));
    EXPECT_EQ(processed.detectedCommand, std::nullopt);
    EXPECT_EQ(processed.text, "New line");
    EXPECT_FALSE(processor(true, false).commandDetector().has_value());
}

TEST(TextProcessor, FillersAreRemovedOnlyWhenSwitchedOn)
{
    EXPECT_EQ(processor(true, true).process(result("um uh like")).text, "");
    EXPECT_EQ(processor(true, true, AppContext::email).process(result("um uh like")).text, ".");
    EXPECT_EQ(processor(false, true).process(result("um yes")).text, "Um yes");
}

TEST(TextProcessor, AsksForTheContextOncePerUtterance)
{
    int asked = 0;
    TextProcessor counting(std::nullopt, std::nullopt, SmartFormatter(), [&] {
        ++asked;
        return AppContext(AppContext::terminal);
    });
    EXPECT_EQ(counting.process(result("List The Files.")).text, "list the files");
    EXPECT_EQ(asked, 1);
}
