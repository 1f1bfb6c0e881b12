#pragma once

#include "App/Models/SettingsKeys.h"
#include "HotKey/HotKey.h"

#include "Platform/UserDefaults/UserDefaults.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace QEL {

// The one desktop-wide hot key that toggles dictation: the chosen key and
// modifiers, stored in the settings (SettingsKeys::hotkeyKeyCode and
// hotkeyModifiers), registered as a global hot key whose every press calls
// onToggle, and shown to the user as glyphs and a key name. Default:
// Option+Shift+Space. Used on the main thread only.
class GlobalHotKeyManager : public QObject {
    Q_OBJECT

public:
    explicit GlobalHotKeyManager(Platform::UserDefaults& defaults, QObject* parent = nullptr);
    ~GlobalHotKeyManager() override;

    // Called once per press of the registered combination.
    std::function<void()> onToggle;

    // The registered hot key; none before the first applyBinding(). Setting
    // none unregisters it (while the user records a new combination, and at
    // quit).
    HotKey::HotKey* hotKey() const { return hotKey_.get(); }
    void setHotKey(std::unique_ptr<HotKey::HotKey> hotKey);

    HotKey::Key currentKey() const { return currentKey_; }
    void setCurrentKey(HotKey::Key key);
    HotKey::ModifierFlags currentModifiers() const { return currentModifiers_; }
    void setCurrentModifiers(HotKey::ModifierFlags modifiers);

    // Reads the stored binding; a value of the wrong kind leaves that half as
    // it is, a stored code that no key has gives the space key.
    void loadSavedBinding();
    void saveBinding();

    // Registers the current binding in place of the previous one and tells why
    // it failed, or none. When the combination is refused (another program
    // holds it, the keyboard lacks the key, there is no display), the binding
    // that worked before stays registered and becomes the current binding
    // again, so what is shown is what works.
    std::optional<std::string> applyBinding();

    // "⌥⇧" for the default binding: the glyphs of the current modifiers.
    std::string modifierString() const;
    // "Space", "Tab", "Return", "Esc", "A" to "Z", and "?" for any other key.
    std::string keyString() const;

signals:
    // currentKey or currentModifiers changed.
    void bindingChanged();

private:
    struct Binding {
        HotKey::Key key;
        HotKey::ModifierFlags modifiers;
    };

    // Registers the current binding; the refusal, if any.
    std::optional<std::string> registerCurrentBinding();

    Platform::UserDefaults& defaults_;
    std::unique_ptr<HotKey::HotKey> hotKey_;
    HotKey::Key currentKey_ = SettingsKeys::hotkeyKeyCode.defaultValue;
    HotKey::ModifierFlags currentModifiers_ = SettingsKeys::hotkeyModifiers.defaultValue;
    // The last binding that registered.
    std::optional<Binding> working_;
};

} // namespace QEL
