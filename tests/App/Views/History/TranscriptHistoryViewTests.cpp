#include "App/Views/History/TranscriptHistoryView.h"

#include "App/Doubles/DebugLogFile.h"
#include "App/Views/History/TranscriptListModel.h"
#include "App/Views/History/TranscriptTexts.h"
#include "App/Views/Settings/SettingsFixture.h"

#include "Support/DesktopTest.h"
#include "Support/Screenshot.h"
#include "Support/TestEnvironment.h"
#include "Support/Waiting.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QWindow>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using QEL::SavedTranscript;
using QEL::TranscriptHistoryView;
using QEL::TranscriptListModel;

namespace {

SavedTranscript entry(std::string id, std::string title, std::string text, double secondsAgo,
                      std::optional<double> duration = std::nullopt, std::optional<std::string> language = std::nullopt,
                      SavedTranscript::TranscriptType type = SavedTranscript::TranscriptType::dictation)
{
    return {.id = std::move(id),
            .title = std::move(title),
            .text = text,
            .date = {Platform::Date::now().secondsSinceReferenceDate - secondsAgo},
            .duration = duration,
            .wordCount = SavedTranscript::countWords(text),
            .language = std::move(language),
            .type = type};
}

// Three entries, newest first: a meeting, a dictation with a language, and
// one whose title alone mentions the budget.
std::vector<SavedTranscript> threeEntries()
{
    return {
        entry("MEETING", "Weekly sync", "We agreed to Ship the release on Friday and review the logs.", 3 * 60, 75.9,
              std::nullopt, SavedTranscript::TranscriptType::meeting),
        entry("NOTE", "Shopping", "Remember milk, eggs and bread on the way home.", 2 * 3600, std::nullopt, "en"),
        entry("BUDGET", "Budget draft", "Numbers for the next quarter go here.", 3 * 86400, 3600),
    };
}

// The browser over a history that holds `saved`, in its folder and in the
// state, as at launch.
class TranscriptHistoryViewTest : public testing::Test, protected SettingsFolder {
protected:
    explicit TranscriptHistoryViewTest(const std::vector<SavedTranscript>& saved = threeEntries())
        : view(stateHolding(saved))
    {
    }

    QEL::AppState& stateHolding(const std::vector<SavedTranscript>& saved)
    {
        for (const SavedTranscript& entry : saved)
            history.save(entry);
        state->setTranscriptHistory(history.loadAll());
        return *state;
    }

    QLineEdit& searchField() const { return *view.findChild<QLineEdit*>(); }
    QListView& list() const { return *view.findChild<QListView*>(); }
    const QAbstractItemModel& rows() const { return *list().model(); }

    std::vector<std::string> shownIDs() const
    {
        const auto& model = static_cast<const TranscriptListModel&>(rows());
        std::vector<std::string> ids;
        for (int row = 0; row < model.rowCount(); ++row)
            ids.push_back(model.entry(model.index(row)).id);
        return ids;
    }

    bool shows(const QString& text) const { return showsText(view, text); }

    void selectRow(int row) const
    {
        list().selectionModel()->select(rows().index(row, 0), QItemSelectionModel::ClearAndSelect);
    }

    // Opens the row's context menu and chooses `item` in it.
    void choose(int row, const QString& item)
    {
        const QRect area = list().visualRect(rows().index(row, 0));
        emit list().customContextMenuRequested(area.center());
        QMenu* menu = nullptr;
        for (QMenu* open : view.findChildren<QMenu*>())
            if (open->isVisible())
                menu = open;
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions())
            if (action->text() == item) {
                action->trigger();
                menu->close();
                return;
            }
        FAIL() << "the menu has no " << item.toStdString();
    }

    QEL::Testing::DebugLogFile log;
    TranscriptHistoryView view;
};

class EmptyHistoryViewTest : public TranscriptHistoryViewTest {
protected:
    EmptyHistoryViewTest() : TranscriptHistoryViewTest({}) {}
};

} // namespace

TEST_F(EmptyHistoryViewTest, InvitesTheUserToDictate)
{
    EXPECT_TRUE(shows("No transcripts yet"));
    EXPECT_TRUE(shows("Start dictating to build your history"));
    EXPECT_TRUE(shows("Select a transcript"));
    EXPECT_FALSE(list().isVisibleTo(&view));
}

TEST_F(TranscriptHistoryViewTest, SearchMatchesTextThenTitleIgnoringCase)
{
    EXPECT_EQ(shownIDs(), (std::vector<std::string>{"MEETING", "NOTE", "BUDGET"}));
    EXPECT_EQ(searchField().placeholderText(), "Search transcripts...");
    const std::pair<QString, std::vector<std::string>> cases[] = {
        {"ship", {"MEETING"}},
        {"THE", {"MEETING", "NOTE", "BUDGET"}},
        {"budget", {"BUDGET"}},         // only in the title
        {"weekly", {"MEETING"}},
        {"milk, EGGS", {"NOTE"}},
        {" home.", {"NOTE"}},           // used as typed, spaces and all
        {"", {"MEETING", "NOTE", "BUDGET"}},
    };
    for (const auto& [search, ids] : cases) {
        searchField().setText(search);
        EXPECT_EQ(shownIDs(), ids) << search.toStdString();
        EXPECT_TRUE(list().isVisibleTo(&view));
    }

    searchField().setText("zebra");
    EXPECT_TRUE(shownIDs().empty());
    EXPECT_TRUE(shows("No results"));
    EXPECT_FALSE(shows("No transcripts yet"));
    EXPECT_FALSE(shows("Start dictating to build your history"));
}

TEST_F(TranscriptHistoryViewTest, RowsShowSymbolRelativeDatePreviewWordsAndDuration)
{
    TestSupport::ScopedEnvironment locale("LC_ALL", "en_US.UTF-8");
    const auto data = [&](int row, int role) { return rows().index(row, 0).data(role); };
    EXPECT_EQ(data(0, TranscriptListModel::relativeDateRole).toString(), "3 min. ago");
    EXPECT_EQ(data(1, TranscriptListModel::relativeDateRole).toString(), "2 hr. ago");
    EXPECT_EQ(data(2, TranscriptListModel::relativeDateRole).toString(), "3 days ago");
    EXPECT_TRUE(data(0, TranscriptListModel::isMeetingRole).toBool());
    EXPECT_FALSE(data(1, TranscriptListModel::isMeetingRole).toBool());
    EXPECT_EQ(data(0, Qt::DisplayRole).toString(), "We agreed to Ship the release on Friday and review the logs.");
    EXPECT_EQ(data(0, TranscriptListModel::wordCountRole).toString(), "12 words");
    EXPECT_EQ(data(0, TranscriptListModel::durationRole).toString(), "1:15");
    EXPECT_FALSE(data(1, TranscriptListModel::durationRole).isValid());
    EXPECT_EQ(data(2, TranscriptListModel::durationRole).toString(), "60:00");
}

TEST(TranscriptTexts, PreviewsKeepEightyCharactersAndDurationsWholeSeconds)
{
    const std::string eighty = std::string(79, 'a') + "e\u0301"; // the last character has two code points
    EXPECT_EQ(QEL::TranscriptTexts::preview(eighty), eighty);
    EXPECT_EQ(QEL::TranscriptTexts::preview(eighty + "b"), eighty + "...");
    EXPECT_EQ(QEL::TranscriptTexts::preview(""), "");

    const std::pair<double, std::string> durations[] = {
        {75.9, "1:15"}, {3600, "60:00"}, {59.99, "0:59"}, {0, "0:00"}, {7325, "122:05"},
        // Only a damaged file holds these; they are shown, not overflowed.
        {-5, "-0:05"}, {1e300, "76861433640456465:04"},
    };
    for (const auto& [seconds, shown] : durations)
        EXPECT_EQ(QEL::TranscriptTexts::duration(seconds), shown) << seconds;
    EXPECT_EQ(QEL::TranscriptTexts::wordCount(1), "1 words");
}

TEST_F(TranscriptHistoryViewTest, TheSelectedTranscriptIsShownInFull)
{
    EXPECT_TRUE(shows("Select a transcript"));
    selectRow(1);
    ASSERT_TRUE(view.selectedTranscript());
    EXPECT_EQ(view.selectedTranscript()->id, "NOTE");
    EXPECT_FALSE(shows("Select a transcript"));
    EXPECT_TRUE(shows("Shopping"));
    EXPECT_TRUE(shows("9 words"));
    EXPECT_TRUE(shows("EN"));
    EXPECT_EQ(view.findChild<QPlainTextEdit*>()->toPlainText(), "Remember milk, eggs and bread on the way home.");

    // No language, no globe label; a search that hides the entry keeps it shown.
    selectRow(2);
    EXPECT_TRUE(shows("Budget draft"));
    EXPECT_FALSE(shows("EN"));
    searchField().setText("milk");
    EXPECT_EQ(view.selectedTranscript()->id, "BUDGET");
    searchField().setText("");
    EXPECT_EQ(list().selectionModel()->selectedRows().value(0).row(), 2);
}

TEST_F(TranscriptHistoryViewTest, CopyingPutsTheTextOnTheClipboard)
{
    QGuiApplication::clipboard()->setText("something else");
    choose(2, "Copy Text");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Numbers for the next quarter go here.");

    selectRow(0);
    for (QAbstractButton* button : view.findChildren<QAbstractButton*>())
        if (button->text() == "Copy")
            button->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "We agreed to Ship the release on Friday and review the logs.");
}

TEST_F(TranscriptHistoryViewTest, DeletingTheSelectedTranscriptRemovesItsFileAndClearsTheSelection)
{
    selectRow(1);
    choose(1, "Delete");
    EXPECT_FALSE(std::filesystem::exists(history.storageDirectory() / "NOTE.json"));
    EXPECT_EQ(shownIDs(), (std::vector<std::string>{"MEETING", "BUDGET"}));
    ASSERT_EQ(state->transcriptHistory().size(), 2u);
    EXPECT_FALSE(view.selectedTranscript());
    EXPECT_TRUE(shows("Select a transcript"));

    // Another row's deletion leaves the selection alone.
    selectRow(1);
    choose(0, "Delete");
    EXPECT_EQ(shownIDs(), std::vector<std::string>{"BUDGET"});
    EXPECT_EQ(view.selectedTranscript()->id, "BUDGET");
}

TEST_F(TranscriptHistoryViewTest, DeletingOneOfTwoFilesWithTheSameIdentifierKeepsTheOther)
{
    // A restored copy of a note, edited since.
    std::ofstream(history.storageDirectory() / "NOTE restored.json")
        << R"({"id":"NOTE","title":"Shopping","text":"Milk only.","date":1,"wordCount":2,"type":"dictation"})";
    state->setTranscriptHistory(history.loadAll());
    ASSERT_EQ(shownIDs(), (std::vector<std::string>{"MEETING", "NOTE", "BUDGET", "NOTE"}));

    choose(3, "Delete");
    EXPECT_FALSE(std::filesystem::exists(history.storageDirectory() / "NOTE restored.json"));
    EXPECT_TRUE(std::filesystem::exists(history.storageDirectory() / "NOTE.json"));
    EXPECT_EQ(shownIDs(), (std::vector<std::string>{"MEETING", "NOTE", "BUDGET"}));
    EXPECT_EQ(state->transcriptHistory()[1].text, "Remember milk, eggs and bread on the way home.");
}

TEST_F(TranscriptHistoryViewTest, ATranscriptWhoseFileCannotBeDeletedStaysAndTheFailureIsLogged)
{
    // Something the file system refuses to remove in the file's place.
    const std::filesystem::path file = history.storageDirectory() / "NOTE.json";
    std::filesystem::remove(file);
    std::filesystem::create_directories(file / "inside");

    selectRow(1);
    choose(1, "Delete");
    EXPECT_EQ(shownIDs(), (std::vector<std::string>{"MEETING", "NOTE", "BUDGET"}));
    EXPECT_EQ(state->transcriptHistory().size(), 3u);
    EXPECT_EQ(view.selectedTranscript()->id, "NOTE");
    EXPECT_THAT(log.messages(), testing::ElementsAre(testing::AllOf(
                                    testing::StartsWith("Failed to delete transcript NOTE: "),
                                    testing::HasSubstr("Directory not empty"))));
}

TEST_F(TranscriptHistoryViewTest, AnEntrySavedMeanwhileAppearsAtTheTop)
{
    std::vector<SavedTranscript> history = state->transcriptHistory();
    history.insert(history.begin(), entry("NEW", "Fresh", "Just now", 1));
    state->setTranscriptHistory(history);
    EXPECT_EQ(shownIDs(), (std::vector<std::string>{"NEW", "MEETING", "NOTE", "BUDGET"}));
}

namespace {

class TranscriptHistoryViewOnDesktop : public TestSupport::DesktopTest, protected SettingsFolder {};

} // namespace

TEST_F(TranscriptHistoryViewOnDesktop, ShowsAFewTranscriptsWithOneSelected)
{
    TestSupport::ScopedEnvironment locale("LC_ALL", "en_US.UTF-8");
    std::vector<SavedTranscript> saved = threeEntries();
    saved.push_back(entry("LONG", "A long one",
                          "This dictation goes on and on well past the eighty characters that a row of the list has "
                          "room for, so its preview ends in an ellipsis.",
                          40 * 86400, 42.5));
    state->setTranscriptHistory(saved);
    TranscriptHistoryView view(*state);
    view.resize(600, 380);
    view.show();
    auto* list = view.findChild<QListView*>();
    list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return view.windowHandle()->isExposed(); }));
    TestSupport::saveScreenshot("selected", static_cast<xcb_window_t>(view.winId()));
    view.findChild<QLineEdit*>()->setText("zebra");
    TestSupport::saveScreenshot("no-results", static_cast<xcb_window_t>(view.winId()));
}
