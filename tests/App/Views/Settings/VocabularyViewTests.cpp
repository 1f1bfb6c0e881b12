#include "App/Views/Settings/VocabularyView.h"

#include "App/Views/Settings/SettingsView.h"

#include "App/Views/Settings/SettingsFixture.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

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

    // The words the view lists, in order.
    static Words listed(const VocabularyView& view)
    {
        Words words;
        for (const QToolButton* remove : view.findChildren<QToolButton*>())
            if (remove->accessibleName().startsWith("Remove "))
                words.push_back(remove->accessibleName().mid(7).toStdString());
        return words;
    }

    static void clickRemove(const VocabularyView& view, const QString& word)
    {
        findNamed<QToolButton>(view, "Remove " + word)->click();
        QCoreApplication::processEvents();
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
    EXPECT_EQ(findNamed<QToolButton>(view, "Remove QEL")->toolTip(), "Remove");

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
    EXPECT_TRUE(showsText(view, "<b>bold</b>"));
}

// A long entry must not widen the page, or the buttons to its right (every
// word's "Remove", "Add") end up beyond the window's edge, out of reach.
TEST_F(VocabularyViewTest, LongEntriesWrapWithinThePageAndKeepEveryButtonInReach)
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
    std::vector<const QWidget*> buttons{findNamed<QPushButton>(view, "Add")};
    for (const QToolButton* remove : view.findChildren<QToolButton*>())
        buttons.push_back(remove);
    ASSERT_EQ(buttons.size(), 4u);
    for (const QWidget* button : buttons) {
        const QRect inPage(button->mapTo(view.widget(), QPoint(0, 0)), button->size());
        EXPECT_LE(inPage.right(), view.viewport()->width()) << button->accessibleName().toStdString();
    }
}
