#pragma once

#include "App/Views/Settings/SettingsForm.h"

#include <string>
#include <vector>

class QLineEdit;
class QListView;
class QPushButton;

namespace Platform {
class UserDefaults;
}

namespace QEL {

class VocabularyListModel;

// Edits the words and phrases the recogniser should expect and a sample
// sentence that uses them; both are read when the engine next loads.
class VocabularyView : public SettingsForm {
public:
    explicit VocabularyView(Platform::UserDefaults& defaults, QWidget* parent = nullptr);

    // Adds the add field's text, trimmed, unless the list already holds it in
    // any letter case; then empties the field and gives it the focus. An empty
    // or blank field changes nothing.
    void addWord();
    // Removes every entry exactly equal to `word`.
    void removeWord(const std::string& word);

private:
    void addIntroduction();
    void addWordsSection();
    void addContextSection();
    void addNote();
    void showWords();
    void storeWords();

    Platform::UserDefaults& defaults_;
    std::vector<std::string> words_;
    VocabularyListModel* model_ = nullptr;
    QListView* list_ = nullptr;
    QWidget* noWords_ = nullptr;
    QLineEdit* newWord_ = nullptr;
    QPushButton* add_ = nullptr;
};

} // namespace QEL
