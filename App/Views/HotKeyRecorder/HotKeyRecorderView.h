#pragma once

#include "App/Views/HotKeyRecorder/KeyCatcher.h"

#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>

class QLabel;

namespace QEL {

class GlobalHotKeyManager;
class RecorderButton;

// The control with which the user picks the dictation hot key. It shows the
// current binding; a click starts recording, and the next key press in the
// application that carries Shift, Control, Option or Command becomes the new
// binding, stored and registered at once. A second click cancels and
// registers the stored binding again.
//
// While it records, the global hot key is released, so that pressing the
// current combination records it instead of toggling dictation. Whenever the
// recorder stops recording without a capture (cancelled, hidden with its tab
// or window, or destroyed) the stored binding is registered again, so the
// application is never left without a hot key. A combination that cannot be
// registered is reported below the button, and the one that worked stays.
class HotKeyRecorderView : public QWidget {
public:
    explicit HotKeyRecorderView(GlobalHotKeyManager& manager, QWidget* parent = nullptr);
    ~HotKeyRecorderView() override;

    bool isRecording() const { return catcher_.isActive(); }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void click();
    void startRecording();
    void capture(HotKey::Key key, HotKey::ModifierFlags modifiers);
    // Stops recording and registers the stored binding again.
    void cancel();
    void setRecording(bool recording);
    void showBinding();
    void showRefusal(const std::optional<std::string>& refusal);

    QPointer<GlobalHotKeyManager> manager_;
    RecorderButton* button_;
    QLabel* refusal_;
    KeyCatcher catcher_;
};

} // namespace QEL
