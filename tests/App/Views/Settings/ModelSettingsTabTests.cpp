#include "App/Views/Settings/ModelSettingsTab.h"

#include "App/Utils/FileLogger.h"

#include "App/Views/Settings/SettingsFixture.h"
#include "Support/LoopbackHTTPServer.h"
#include "Support/Waiting.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

#include <gmock/gmock.h>

using QEL::ModelSettingsTab;

namespace {

using ModelSettingsTabTest = SettingsTest;

const char* const modelNames[] = {"Whisper Tiny (English)", "Whisper Small (English)", "Whisper Base (Multilingual)",
                                  "Whisper Large v3"};

// The names of the rows that carry the selection mark.
std::vector<std::string> markedRows(const ModelSettingsTab& tab)
{
    std::vector<std::string> marked;
    for (const char* name : modelNames) {
        const QWidget* row = findNamed<QWidget>(tab, name);
        // The mark is the last widget of the row.
        const auto children = row->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
        if (shows(tab, children.back()))
            marked.push_back(name);
    }
    return marked;
}

void click(QWidget* widget, QPointF at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace

TEST_F(ModelSettingsTabTest, RowsMarkTheStoredModelAndAClickAnywhereOnARowStoresItsId)
{
    ModelSettingsTab tab(*state);
    EXPECT_EQ(markedRows(tab), std::vector<std::string>{"Whisper Small (English)"});
    for (const QString fact : {"~1.5 GB", "Slow", "Best", "~75 MB", "Fastest"})
        EXPECT_TRUE(showsText(tab, fact)) << fact.toStdString();

    state->setSelectedModel("someone-elses-model");
    EXPECT_EQ(markedRows(tab), std::vector<std::string>{});

    QWidget* large = findNamed<QWidget>(tab, "Whisper Large v3");
    click(large, QPointF(large->width() - 40, large->height() / 2.0));
    EXPECT_EQ(storedValue<std::string>("selectedModel"), "openai_whisper-large-v3");
    EXPECT_EQ(markedRows(tab), std::vector<std::string>{"Whisper Large v3"});

    click(findNamed<QWidget>(tab, "Whisper Tiny (English)"), QPointF(5, 5));
    EXPECT_EQ(storedValue<std::string>("selectedModel"), "openai_whisper-tiny.en");
}

TEST_F(ModelSettingsTabTest, TheLanguagePickerOffersAutoDetectADividerAndTwentyLanguages)
{
    ModelSettingsTab tab(*state);
    auto* picker = findNamed<QComboBox>(tab, "Transcription Language");
    ASSERT_TRUE(picker);
    ASSERT_EQ(picker->count(), 22);
    EXPECT_EQ(picker->itemText(0), "Auto-detect");
    EXPECT_EQ(picker->itemData(0), "auto");
    EXPECT_EQ(picker->itemData(1, Qt::AccessibleDescriptionRole), "separator");
    const char* const expected[] = {
        "English (English)", "Hindi (हिन्दी)",      "Spanish (Español)",      "French (Français)",
        "German (Deutsch)",  "Italian (Italiano)", "Portuguese (Português)", "Dutch (Nederlands)",
        "Japanese (日本語)", "Chinese (中文)",     "Korean (한국어)",        "Arabic (العربية)",
        "Russian (Русский)", "Turkish (Türkçe)",   "Polish (Polski)",        "Swedish (Svenska)",
        "Danish (Dansk)",    "Norwegian (Norsk)",  "Finnish (Suomi)",        "Ukrainian (Українська)"};
    for (int entry = 0; entry < 20; ++entry)
        EXPECT_EQ(picker->itemText(entry + 2), QString::fromUtf8(expected[entry]));
    EXPECT_EQ(picker->itemData(2), "en");
    EXPECT_EQ(picker->itemData(21), "uk");
    EXPECT_EQ(picker->currentText(), "Auto-detect");

    picker->setCurrentIndex(picker->findData("ja"));
    EXPECT_EQ(storedValue<std::string>("selectedLanguage"), "ja");
}

TEST_F(ModelSettingsTabTest, TheTipShowsForEveryLanguageButEnglishAndAutoDetectWhateverTheModel)
{
    ModelSettingsTab tab(*state);
    auto* picker = findNamed<QComboBox>(tab, "Transcription Language");
    const QString tip = "Tip: Use a multilingual model (Base or Large) for non-English languages";
    const struct {
        const char* language;
        const char* model;
        bool tipShows;
        int pickerEntry; // -1: none selected
    } cases[] = {
        {"en", "openai_whisper-small.en", false, 2}, {"auto", "openai_whisper-base", false, 0},
        {"hi", "openai_whisper-base", true, 3},      {"ja", "openai_whisper-large-v3", true, 10},
        {"xx", "openai_whisper-tiny.en", true, -1},  {"auto", "openai_whisper-tiny.en", false, 0},
    };
    for (const auto& c : cases) {
        state->setSelectedModel(c.model);
        state->setSelectedLanguage(c.language);
        EXPECT_EQ(showsText(tab, tip), c.tipShows) << c.language;
        EXPECT_EQ(picker->currentIndex(), c.pickerEntry) << c.language;
    }
}

TEST_F(ModelSettingsTabTest, ReloadModelLoadsTheEngineAndWaitsForTheLoadToEnd)
{
    QEL::FileLogger::setLogPathForTesting(folder / "debug.log");
    LoopbackHTTPServer server; // knows no model: the load fails
    TestSupport::ScopedEnvironment modelBase("QEL_MODEL_BASE_URL", server.baseURL());
    ModelSettingsTab tab(*state);
    auto* reload = findNamed<QPushButton>(tab, "Reload Model");
    ASSERT_TRUE(reload);
    EXPECT_TRUE(reload->isEnabled());

    reload->click();
    EXPECT_TRUE(state->isLoadingModel());
    EXPECT_FALSE(reload->isEnabled());
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !state->isLoadingModel(); }));
    EXPECT_TRUE(reload->isEnabled());
    EXPECT_THAT(state->errorMessage().value_or(""), testing::StartsWith("Failed to load model: "));
    QEL::FileLogger::setLogPathForTesting({});
}
