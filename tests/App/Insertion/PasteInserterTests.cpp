#include "App/Insertion/PasteInserter.h"

#include "InsertionTest.h"
#include "Support/Screenshot.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

using namespace QEL;
using PasteInsertion = Testing::InsertionTest;

TEST_F(PasteInsertion, PastesTheTextAndGivesEveryFormOfTheClipboardBack)
{
    field->copySample();
    PasteInserter inserter;
    TestSupport::runOnWorkerThread([&] { inserter.insert("Dictated through the clipboard, ünïcode 😀"); });
    EXPECT_TRUE(field->waitForText("Dictated through the clipboard, ünïcode 😀")) << field->text();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return field->clipboardHolds(TestSupport::sampleClipboard()); }))
        << "the text, the image and the private bytes are back";
    EXPECT_NE(debugLog().find("Text copied to clipboard: 'Dictated through the clipboard, ünïcode 😀'\n"),
              std::string::npos)
        << debugLog();
    TestSupport::saveScreenshot("pasted", field->window());
}

TEST_F(PasteInsertion, WhenThePasteCannotBeSentTheClipboardIsGivenBackAndTheFailureLogged)
{
    field->copySample();
    // Synthetic key presses go through a connection of their own, which this
    // makes fail; the clipboard stays on the application's display.
    TestSupport::ScopedEnvironment display("DISPLAY", ":4711");
    PasteInserter inserter;
    TestSupport::runOnWorkerThread([&] { inserter.insert("never pasted"); });

    EXPECT_TRUE(field->clipboardHolds(TestSupport::sampleClipboard()));
    EXPECT_EQ(field->text(), "");
    const std::string log = debugLog();
    EXPECT_NE(log.find("Cannot paste, so the clipboard was given back: Cannot send key presses: Cannot open the X "
                       "display \":4711\": no X server answers there\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Text copied to clipboard: 'never pasted'\n"), std::string::npos) << log;
}
