#pragma once

#include "App/Views/Settings/SettingsForm.h"

#include <vector>

class QComboBox;
class QPushButton;

namespace QEL {

class AppState;

// The choice of speech model and transcription language, and "Reload Model",
// which loads the engine again so that changed settings take effect.
class ModelSettingsTab : public SettingsForm {
public:
    explicit ModelSettingsTab(AppState& state, QWidget* parent = nullptr);

private:
    void addModelSection();
    void addLanguageSection();
    void addReloadSection();
    // Marks the selected model, shows the selected language and its tip, and
    // enables "Reload Model" unless a load runs.
    void refresh();

    AppState& state_;
    // One mark per model row, in the table's order.
    std::vector<QWidget*> modelMarks_;
    QComboBox* language_ = nullptr;
    QWidget* languageTip_ = nullptr;
    QPushButton* reload_ = nullptr;
};

} // namespace QEL
