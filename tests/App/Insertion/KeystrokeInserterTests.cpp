#include "App/Insertion/KeystrokeInserter.h"

#include "App/Insertion/PasteInserter.h"
#include "InsertionTest.h"
#include "Platform/Desktop/X11Connection.h"
#include "Platform/Text/UnicodeScalars.h"
#include "Support/Screenshot.h"
#include "Support/Waiting.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

using namespace QEL;
using KeystrokeInsertion = Testing::InsertionTest;

namespace {

std::vector<xcb_keysym_t> keyTable()
{
    return Platform::X11Connection::shared().keyboardMapping().keysyms;
}

} // namespace

TEST(KeystrokeInserter, PausesFiveMillisecondsAfterEachCharacterUnlessToldOtherwise)
{
    EXPECT_EQ(KeystrokeInserter().interKeystrokeDelay(), 0.005);
    EXPECT_EQ(KeystrokeInserter(0.02).interKeystrokeDelay(), 0.02);
}

TEST_F(KeystrokeInsertion, TypesEveryCharacterExactlyWithTabAndReturnAsKeys)
{
    const auto keysBefore = keyTable();
    KeystrokeInserter inserter;
    TestSupport::runOnWorkerThread([&] { inserter.insert("Hello, wörld 😀\tend\n"); });
    EXPECT_TRUE(field->waitForText("Hello, wörld 😀\tend\n")) << field->text();
    const auto presses = field->keyPresses();
    ASSERT_EQ(presses.size(), 19u) << "one press per character";
    EXPECT_EQ(presses[14], (TestSupport::ForeignTextField::KeyPress{Qt::Key_Tab, "\t"}));
    EXPECT_EQ(presses[18], (TestSupport::ForeignTextField::KeyPress{Qt::Key_Return, "\r"}));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return keyTable() == keysBefore; }))
        << "the spare key codes lent for ö and 😀 are given back";
    TestSupport::saveScreenshot("typed", field->window());
}

TEST_F(KeystrokeInsertion, ControlCharactersAreLeftOutAndEveryOtherCharacterArrives)
{
    const struct {
        const char* text;
        const char* arrives;
    } cases[] = {
        {"a\r\nb ", "a\nb "}, // one character, with one line break in it
        {"bell\a escape\x1b delete\x7f next\u0085.", "bell escape delete next."},
        {"e\u0301 Grüße, ça va? ß€ ΩΨ 你好 🇩🇪 ", "e\u0301 Grüße, ça va? ß€ ΩΨ 你好 🇩🇪 "},
        // More different characters than the keyboard has spare key codes.
        {"一二三四五六七八九十百千万亿兆京垓秭穰沟涧正载极恒河沙阿僧祇",
         "一二三四五六七八九十百千万亿兆京垓秭穰沟涧正载极恒河沙阿僧祇"},
    };
    const auto keysBefore = keyTable();
    KeystrokeInserter inserter;
    std::string expected;
    for (const auto& c : cases) {
        const std::size_t pressesBefore = field->keyPresses().size();
        TestSupport::runOnWorkerThread([&] { inserter.insert(c.text); });
        expected += c.arrives;
        EXPECT_TRUE(field->waitForText(expected)) << "after " << c.text << ": " << field->text();
        EXPECT_EQ(field->keyPresses().size() - pressesBefore, Platform::unicodeScalars(c.arrives).size())
            << "one press per code point arriving, none for control characters: " << c.text;
    }
    EXPECT_TRUE(TestSupport::waitUntil([&] { return keyTable() == keysBefore; }));
}

TEST_F(KeystrokeInsertion, AnEmptyTextTouchesNeitherTheFieldNorTheClipboard)
{
    field->copySample();
    KeystrokeInserter typist;
    PasteInserter paster;
    TestSupport::runOnWorkerThread([&] {
        typist.insert("");
        paster.insert("");
    });
    TestSupport::runOnWorkerThread([&] { typist.insert("end"); });
    EXPECT_TRUE(field->waitForText("end")) << field->text();
    EXPECT_FALSE(QGuiApplication::clipboard()->ownsClipboard());
    EXPECT_TRUE(field->clipboardHolds(TestSupport::sampleClipboard()));
    EXPECT_EQ(debugLog().find("clipboard"), std::string::npos);
}

namespace {

// Types `text` on a thread of its own until the inserter returns.
class TypingInBackground {
public:
    TypingInBackground(KeystrokeInserter& inserter, std::string text)
        : thread_([&inserter, text = std::move(text)] { inserter.insert(text); })
    {
    }
    ~TypingInBackground() { finish(); }
    void finish()
    {
        if (thread_.joinable())
            thread_.join();
    }

private:
    std::thread thread_;
};

// Lets key presses already sent arrive and be reported.
void settle()
{
    TestSupport::waitUntil([] { return false; }, std::chrono::milliseconds(300));
}

std::string manyWords()
{
    std::string text;
    for (int word = 0; word < 200; ++word)
        text += "word" + std::to_string(word) + "\n";
    return text;
}

} // namespace

TEST_F(KeystrokeInsertion, TypingStopsWhenAnotherWindowTakesTheFocusOrTheTargetCloses)
{
    KeystrokeInserter inserter;
    const std::string text = manyWords();
    std::optional<TestSupport::ForeignTextField> other;
    {
        TypingInBackground typing(inserter, text);
        ASSERT_TRUE(TestSupport::waitUntil([&] { return field->text().size() >= 10; }));
        other.emplace(); // takes the focus
        typing.finish();
    }
    settle();
    const std::string typed = field->text();
    EXPECT_LT(typed.size(), text.size());
    EXPECT_TRUE(text.starts_with(typed)) << typed;
    EXPECT_EQ(other->text(), "");
    EXPECT_NE(debugLog().find("Typing stopped: another window has the focus now"), std::string::npos);

    // The target window closes; the focus falls back to the first field.
    {
        TypingInBackground typing(inserter, text);
        ASSERT_TRUE(TestSupport::waitUntil([&] { return other->text().size() >= 10; }));
        other.reset();
        typing.finish();
    }
    settle();
    EXPECT_EQ(field->text(), typed);
}

TEST_F(KeystrokeInsertion, StoppingEndsTheTypingUnderWayAndAnyLater)
{
    KeystrokeInserter inserter;
    const std::string text = manyWords();
    {
        TypingInBackground typing(inserter, text);
        ASSERT_TRUE(TestSupport::waitUntil([&] { return field->text().size() >= 10; }));
        inserter.stopInserting();
    }
    settle();
    const std::string typed = field->text();
    EXPECT_LT(typed.size(), text.size());
    TestSupport::runOnWorkerThread([&] { inserter.insert("more"); });
    settle();
    EXPECT_EQ(field->text(), typed);
}
