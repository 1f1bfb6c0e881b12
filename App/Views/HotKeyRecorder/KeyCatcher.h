#pragma once

#include "HotKey/Key.h"
#include "HotKey/ModifierFlags.h"

#include <QObject>

#include <functional>

namespace QEL {

// While active, takes every key press in the application's windows that
// carries Shift, Control, Option (Alt) or Command (Super), and hands it on as
// a key and those four modifiers; any other modifier state (the locks) is
// left out. A press without one of the four, and the press of a modifier key
// itself, goes on to its window as usual. A press of a key that no virtual
// key code names is taken without effect.
class KeyCatcher : public QObject {
public:
    using Capture = std::function<void(HotKey::Key, HotKey::ModifierFlags)>;

    explicit KeyCatcher(Capture onCapture, QObject* parent = nullptr);
    ~KeyCatcher() override;

    bool isActive() const { return active_; }
    void setActive(bool active);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Capture onCapture_;
    bool active_ = false;
};

} // namespace QEL
