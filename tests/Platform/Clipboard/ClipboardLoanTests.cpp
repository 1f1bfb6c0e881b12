#include "Platform/Clipboard/ClipboardLoan.h"

#include "Platform/Clipboard/Clipboard.h"
#include "Support/DesktopTest.h"
#include "Support/SampleClipboard.h"
#include "Support/TextField.h"
#include "Support/Waiting.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

using Platform::ClipboardLoan;
using TestSupport::ClipboardContents;
using When = Platform::ClipboardLoan::WhenEmptyBefore;

namespace {

constexpr std::chrono::milliseconds noDelay{0};

ClipboardContents asPairs(const std::vector<Platform::ClipboardItem>& items)
{
    ClipboardContents pairs;
    for (const auto& item : items)
        pairs.emplace_back(item.type, item.data);
    return pairs;
}

// Lets queued main-thread work run: long enough for a give-back that has
// decided to do nothing.
void settle()
{
    TestSupport::waitUntil([] { return false; }, std::chrono::milliseconds(300));
}

struct ClipboardLoanTest : TestSupport::DesktopTest {
    std::optional<TestSupport::ForeignTextField> user;

    void SetUp() override
    {
        DesktopTest::SetUp();
        user.emplace();
        user->copySample();
    }
};

} // namespace

TEST_F(ClipboardLoanTest, EveryFormAnotherApplicationOfferedComesBackAfterThePaste)
{
    EXPECT_EQ(asPairs(Platform::clipboardContents()), TestSupport::sampleClipboard());

    const ClipboardLoan loan("dictated words");
    EXPECT_EQ(user->clipboardText(), "dictated words"); // reading it is the paste
    loan.giveBack(noDelay, When::clear);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return user->clipboardHolds(TestSupport::sampleClipboard()); }))
        << "the text, the image and the private bytes are all back";
}

TEST_F(ClipboardLoanTest, TheUsersContentsWaitUntilThePastedTextHasBeenRead)
{
    const ClipboardLoan loan("read late");
    loan.giveBack(noDelay, When::clear);
    // Well within the second an application gets to read the text.
    TestSupport::waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(user->clipboardText(), "read late");
    EXPECT_TRUE(TestSupport::waitUntil([&] { return user->clipboardHolds(TestSupport::sampleClipboard()); }));
}

TEST_F(ClipboardLoanTest, WhatTheUserCopiesDuringTheLoanStays)
{
    const ClipboardLoan loan("dictated words");
    user->copyText("copied meanwhile");
    loan.giveBack(noDelay, When::clear);
    settle();
    EXPECT_EQ(user->clipboardText(), "copied meanwhile");
}

TEST_F(ClipboardLoanTest, LoansInQuickSuccessionEndWithTheUsersContents)
{
    const ClipboardLoan first("first");
    const ClipboardLoan second(",");
    const ClipboardLoan third("third");
    EXPECT_EQ(user->clipboardText(), "third");
    first.giveBack(noDelay, When::clear);
    second.giveBack(noDelay, When::keepText);
    settle();
    EXPECT_EQ(user->clipboardText(), "third") << "only the latest loan gives back";
    third.giveBack(noDelay, When::clear);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return user->clipboardHolds(TestSupport::sampleClipboard()); }));
}

TEST_F(ClipboardLoanTest, AnEmptyClipboardEndsEmptyOrKeepsTheTextAsAsked)
{
    Platform::setClipboardContents({});
    EXPECT_EQ(user->clipboardText(), std::nullopt);

    const ClipboardLoan kept(".");
    EXPECT_EQ(user->clipboardText(), ".");
    kept.giveBack(noDelay, When::keepText);
    settle();
    EXPECT_EQ(user->clipboardText(), ".");

    Platform::setClipboardContents({});
    const ClipboardLoan cleared("words");
    EXPECT_EQ(user->clipboardText(), "words");
    cleared.giveBack(noDelay, When::clear);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !user->clipboardText(); }));
}

TEST_F(ClipboardLoanTest, GivingBackAtOnceRestoresWhatWasThere)
{
    const ClipboardLoan loan("never pasted");
    loan.giveBackNow();
    EXPECT_TRUE(user->clipboardHolds(TestSupport::sampleClipboard()));
    EXPECT_TRUE(QGuiApplication::clipboard()->ownsClipboard());
}
