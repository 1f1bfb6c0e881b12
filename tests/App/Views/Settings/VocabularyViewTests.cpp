#include "App/Views/Settings/VocabularyView.h"

#include "App/Views/Settings/SettingsView.h"
#include "App/Views/Settings/VocabularyList.h"

#include "App/Views/Settings/SettingsFixture.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

using QEL::VocabularyView;
using Words = std::vector<std::string>;

namespace {

class VocabularyViewTest : public SettingsTest {
protected:
    // Types into the add field and presses Return.
    static void enter(VocabularyView& view, const QString& text)
    {
        QLineEdit* field = findNamed<QLineEdit>(view, "Add a word or phrase");
        field->setText(text);
        emit field->returnPressed();
    }

    static QListView& list(const VocabularyView& view) { return *findNamed<QListView>(view, "Words & Phrases"); }

    // The words the view lists, in order, as their rows show them.
    static Words listed(const VocabularyView& view)
    {
        Words words;
        if (!shows(view, &list(view)))
            return words;
        const QAbstractItemModel& rows = *list(view).model();
        for (int row = 0; row < rows.rowCount(); ++row)
            words.push_back(rows.index(row, 0).data().toString().toStdString());
        return words;
    }

    // Clicks the remove button of the first row that shows `word`.
    static void clickRemove(const VocabularyView& view, const QString& word)
    {
        QListView& words = list(view);
        const QAbstractItemModel& rows = *words.model();
        for (int row = 0; row < rows.rowCount(); ++row) {
            if (rows.index(row, 0).data().toString() != word)
                continue;
            words.scrollTo(rows.index(row, 0));
            const QPointF button =
                QEL::RemovableRowDelegate::removeButtonRect(words.visualRect(rows.index(row, 0))).center();
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent click(type, button, words.viewport()->mapToGlobal(button), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QCoreApplication::sendEvent(words.viewport(), &click);
            }
            QCoreApplication::processEvents();
            return;
        }
        ADD_FAILURE() << "no row shows " << word.toStdString();
    }
};

} // namespace

TEST_F(VocabularyViewTest, AddingTrimsRefusesAnyCaseOfAKnownWordAndLeavesTheFieldEmptyAndFocused)
{
    VocabularyView view(defaults);
    QLineEdit* field = findNamed<QLineEdit>(view, "Add a word or phrase");
    ASSERT_TRUE(field);
    EXPECT_EQ(field->placeholderText(), "Add a word or phrase…");
    EXPECT_TRUE(showsText(view, "No custom words yet"));

    enter(view, "  \tAcme Corp \n");
    EXPECT_EQ(storedValue<Words>("customVocabulary"), Words{"Acme Corp"});
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(view.focusWidget(), field);
    EXPECT_FALSE(showsText(view, "No custom words yet"));

    field->setText("Kubernetes");
    findNamed<QPushButton>(view, "Add")->click();
    for (const QString duplicate : {"acme corp", "ACME CORP", " Acme Corp", "kuberneteS"}) {
        field->clearFocus();
        enter(view, duplicate);
        EXPECT_EQ(field->text(), "") << duplicate.toStdString();
        EXPECT_EQ(view.focusWidget(), field) << duplicate.toStdString();
    }
    EXPECT_EQ(storedValue<Words>("customVocabulary"), (Words{"Acme Corp", "Kubernetes"}));
    EXPECT_EQ(listed(view), (Words{"Acme Corp", "Kubernetes"}));
}

TEST_F(VocabularyViewTest, ABlankFieldLeavesAddDisabledAndReturnChangesNothing)
{
    VocabularyView view(defaults);
    QLineEdit* field = findNamed<QLineEdit>(view, "Add a word or phrase");
    auto* add = findNamed<QPushButton>(view, "Add");
    EXPECT_FALSE(add->isEnabled());
    for (const QString blank : {" ", "\t\n", "\u2003"}) {
        enter(view, blank);
        EXPECT_FALSE(add->isEnabled());
        EXPECT_EQ(field->text(), blank);
    }
    EXPECT_EQ(storedValue<Words>("customVocabulary"), std::nullopt);
    field->setText(" x");
    EXPECT_TRUE(add->isEnabled());
}

TEST_F(VocabularyViewTest, RemovingTakesEveryEntryOfExactlyThatTextAndKeepsTheOrderOfTheRest)
{
    defaults.set(Words{"Acme", "QEL", "ACME", "Acme", "gRPC"}, "customVocabulary");
    VocabularyView view(defaults);
    EXPECT_EQ(listed(view), (Words{"Acme", "QEL", "ACME", "Acme", "gRPC"}));

    clickRemove(view, "Acme");
    EXPECT_EQ(storedValue<Words>("customVocabulary"), (Words{"QEL", "ACME", "gRPC"}));
    EXPECT_EQ(listed(view), (Words{"QEL", "ACME", "gRPC"}));

    for (const QString word : {"QEL", "ACME", "gRPC"})
        clickRemove(view, word);
    EXPECT_EQ(storedValue<Words>("customVocabulary"), Words{});
    EXPECT_TRUE(showsText(view, "No custom words yet"));
}

TEST_F(VocabularyViewTest, OpensOnTheStoredVocabularyAndStoresTheSampleSentenceAsItIsTyped)
{
    defaults.set(std::string("not a list"), "customVocabulary");
    defaults.set(std::string("Tolvek ships QEL."), "vocabularySampleSentence");
    VocabularyView view(defaults);
    EXPECT_TRUE(showsText(view, "No custom words yet"));

    auto* sentence = findNamed<QPlainTextEdit>(view, "Sample sentence");
    ASSERT_TRUE(sentence);
    EXPECT_EQ(sentence->toPlainText(), "Tolvek ships QEL.");
    sentence->moveCursor(QTextCursor::End);
    sentence->insertPlainText(" Ask <b>RadozodEri</b>");
    EXPECT_EQ(storedValue<std::string>("vocabularySampleSentence"), "Tolvek ships QEL. Ask <b>RadozodEri</b>");

    // Words are shown as typed, never as markup.
    enter(view, "<b>bold</b>");
    EXPECT_EQ(listed(view), Words{"<b>bold</b>"});
}

// A long entry must not widen the page, or the buttons to its right (every
// word's remove button, "Add") end up beyond the window's edge, out of reach.
TEST_F(VocabularyViewTest, LongEntriesStayWithinThePageAndKeepEveryButtonInReach)
{
    defaults.set(Words{"Pneumonoultramicroscopicsilicovolcanoconiosis-Supercalifragilisticexpialidocious-Incorporated",
                       "the quick brown fox jumps over the lazy dog and then jumps over every other dog in the park",
                       "QEL"},
                 "customVocabulary");
    VocabularyView view(defaults);
    view.resize(QEL::SettingsView::fixedSize);
    view.show();
    QCoreApplication::processEvents();

    EXPECT_LE(view.widget()->width(), view.viewport()->width());
    const QPushButton* add = findNamed<QPushButton>(view, "Add");
    EXPECT_LE(QRect(add->mapTo(view.widget(), QPoint(0, 0)), add->size()).right(), view.viewport()->width());
    QListView& words = list(view);
    for (int row = 0; row < 3; ++row) {
        const QRect button =
            QEL::RemovableRowDelegate::removeButtonRect(words.visualRect(words.model()->index(row, 0)));
        EXPECT_LE(words.viewport()->mapTo(view.widget(), button.topRight()).x(), view.viewport()->width()) << row;
    }
}

// Rows are made for the words in sight only, and each shows a line's worth.
TEST_F(VocabularyViewTest, AVeryLongVocabularyOpensWithAFewWidgetsAndCutsHugeWords)
{
    Words many;
    for (int word = 0; word < 100000; ++word)
        many.push_back("word" + std::to_string(word));
    many.push_back(std::string(1 << 20, 'x'));
    defaults.set(many, "customVocabulary");
    VocabularyView view(defaults);
    view.resize(QEL::SettingsView::fixedSize);
    view.show();
    QCoreApplication::processEvents();

    QListView& words = list(view);
    ASSERT_EQ(words.model()->rowCount(), 100001);
    EXPECT_LT(view.findChildren<QWidget*>().size(), 100);
    EXPECT_EQ(words.model()->index(99999, 0).data().toString(), "word99999");
    const QString huge = words.model()->index(100000, 0).data().toString();
    EXPECT_LE(huge.size(), 201);
    EXPECT_TRUE(huge.endsWith(QString::fromUtf8("…")));

    clickRemove(view, huge);
    EXPECT_EQ(storedValue<Words>("customVocabulary")->size(), 100000u);
}

TEST_F(VocabularyViewTest, AHugeStoredSampleSentenceIsShownCutAndKeptUntilEdited)
{
    const std::string huge(10 << 20, 'a');
    defaults.set(huge, "vocabularySampleSentence");
    VocabularyView view(defaults);
    auto* sentence = findNamed<QPlainTextEdit>(view, "Sample sentence");
    ASSERT_TRUE(sentence);
    EXPECT_EQ(sentence->toPlainText().size(), 10000);
    EXPECT_EQ(storedValue<std::string>("vocabularySampleSentence"), huge);

    sentence->moveCursor(QTextCursor::End);
    sentence->insertPlainText("!");
    EXPECT_EQ(storedValue<std::string>("vocabularySampleSentence"), std::string(10000, 'a') + "!");
}
