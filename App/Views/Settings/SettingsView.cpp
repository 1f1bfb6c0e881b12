#include "App/Views/Settings/SettingsView.h"

#include "App/Views/History/TranscriptHistoryView.h"
#include "App/Views/Settings/AdvancedSettingsTab.h"
#include "App/Views/Settings/GeneralSettingsTab.h"
#include "App/Views/Settings/ModelSettingsTab.h"
#include "App/Views/Settings/VocabularyView.h"
#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"

namespace QEL {

SettingsView::SettingsView(AppState& state, Platform::UserDefaults& defaults, QWidget* parent) : QTabWidget(parent)
{
    setFixedSize(fixedSize);
    const QColor symbolColor = foreground(Emphasis::primary, palette());
    addTab(new GeneralSettingsTab(state, defaults), symbolIcon(Symbol::gear, symbolColor), "General");
    addTab(new ModelSettingsTab(state), symbolIcon(Symbol::brain, symbolColor), "Model");
    addTab(new TranscriptHistoryView(state), symbolIcon(Symbol::clockArrowCirclepath, symbolColor), "History");
    addTab(new VocabularyView(defaults), symbolIcon(Symbol::textBookClosed, symbolColor), "Vocabulary");
    addTab(new AdvancedSettingsTab(state, defaults), symbolIcon(Symbol::sliderHorizontal3, symbolColor), "Advanced");
}

} // namespace QEL
