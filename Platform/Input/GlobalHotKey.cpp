#include "Platform/Input/GlobalHotKey.h"

#include "Platform/Desktop/X11Connection.h"
#include "Platform/Input/VirtualKeyCodes.h"
#include "Platform/Input/X11Modifiers.h"
#include "Platform/Log/Log.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <X11/keysym.h>

#include <algorithm>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Platform {

namespace {

using Combination = std::pair<xcb_keycode_t, std::uint16_t>;

// The X modifier bits that tell combinations apart; the lock states are not
// among them.
constexpr std::uint16_t hotKeyModifiers = x11ModifiersOfCarbon(
    CarbonModifier::shift | CarbonModifier::control | CarbonModifier::option | CarbonModifier::command);

// The grabs of every registered combination, and the reading of their events.
class Grabs {
public:
    // Never destroyed: a hot key held by another static object may be
    // released after this one's destructor would have run.
    static Grabs& shared()
    {
        static Grabs* grabs = new Grabs;
        return *grabs;
    }

    // Grabs the key that produces `keysym`, with `modifiers`; gives its keycode.
    xcb_keycode_t add(xcb_keysym_t keysym, std::uint16_t modifiers, HotKeyID id)
    {
        if (!QCoreApplication::instance())
            throw HotKeyRegistrationError("no application event loop is running to receive its presses");
        open();
        try {
            const xcb_keycode_t keycode = grab(keysym, modifiers, id);
            readQueuedEventsSoon();
            return keycode;
        } catch (const HotKeyRegistrationError&) {
            closeWhenUnused();
            throw;
        }
    }

    void remove(xcb_keycode_t keycode, std::uint16_t modifiers)
    {
        const auto registration = registered_.find({keycode, modifiers});
        if (registration == registered_.end())
            return;
        ungrab(keycode, registration->second.variants);
        registered_.erase(registration);
        closeWhenUnused();
        readQueuedEventsSoon();
    }

    std::function<void(const HotKeyEvent&)> handler;

private:
    struct Registration {
        HotKeyID id;
        std::vector<std::uint16_t> variants; // the modifier states grabbed, lock states included
    };

    xcb_keycode_t grab(xcb_keysym_t keysym, std::uint16_t modifiers, HotKeyID id)
    {
        const std::optional<KeyboardMapping::Position> key = connection_->keyboardMapping().find(keysym);
        if (!key)
            throw HotKeyRegistrationError("the keyboard has no key for it");
        const xcb_keycode_t keycode = key->keycode;
        if (registered_.contains({keycode, modifiers}))
            throw HotKeyRegistrationError("this application has registered this combination already");

        // Every lock state needs a grab of its own: the server matches the
        // modifier state exactly.
        const std::uint16_t numLock = connection_->modifierMask(XK_Num_Lock);
        std::vector<std::uint16_t> variants;
        for (std::uint16_t locks : {std::uint16_t(0), std::uint16_t(XCB_MOD_MASK_LOCK), numLock,
                                    std::uint16_t(XCB_MOD_MASK_LOCK | numLock)}) {
            if (std::ranges::find(variants, modifiers | locks) == variants.end())
                variants.push_back(modifiers | locks);
        }
        std::vector<xcb_void_cookie_t> requests;
        for (std::uint16_t variant : variants)
            requests.push_back(xcb_grab_key_checked(connection_->raw(), 1, connection_->root(), variant, keycode,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::optional<X11Error> refusal;
        std::vector<std::uint16_t> grabbed;
        for (std::size_t index = 0; index < requests.size(); ++index) {
            if (std::optional<X11Error> error = connection_->check(requests[index]))
                refusal = refusal ? refusal : error;
            else
                grabbed.push_back(variants[index]);
        }
        if (refusal) {
            ungrab(keycode, grabbed);
            if (refusal->code == XCB_ACCESS)
                throw HotKeyRegistrationError("another application has taken this combination already");
            throw HotKeyRegistrationError("the X server refused to grab the key: " + refusal->description());
        }
        registered_.emplace(Combination{keycode, modifiers}, Registration{id, std::move(grabbed)});
        return keycode;
    }

    void open()
    {
        if (connection_)
            return;
        try {
            connection_ = std::make_unique<X11Connection>();
        } catch (const X11Unavailable& error) {
            std::throw_with_nested(HotKeyRegistrationError(error.what()));
        }
        notifier_ = std::make_unique<QSocketNotifier>(connection_->fileDescriptor(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    }

    void ungrab(xcb_keycode_t keycode, const std::vector<std::uint16_t>& variants)
    {
        for (std::uint16_t variant : variants)
            xcb_ungrab_key(connection_->raw(), keycode, connection_->root(), variant);
        connection_->flush();
    }

    // Without grabs there is nothing to read: the connection closes, and the
    // next registration opens a new one (and sees a display that came later).
    void closeWhenUnused()
    {
        if (!registered_.empty())
            return;
        held_.clear();
        // Stops watching the descriptor at once, which a new connection may
        // reuse; the notifier itself may be the sender of the signal being
        // handled, so it goes later.
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
        connection_.reset();
    }

    // Waiting for a reply can move events that have arrived into the
    // connection's queue, where the notifier does not see them.
    void readQueuedEventsSoon()
    {
        if (notifier_)
            QMetaObject::invokeMethod(
                notifier_.get(), [this] { readEvents(); }, Qt::QueuedConnection);
    }

    void readEvents()
    {
        if (!connection_)
            return;
        std::vector<X11Owned<xcb_generic_event_t>> events;
        while (X11Owned<xcb_generic_event_t> event = connection_->pollForEvent())
            events.push_back(std::move(event));
        if (xcb_connection_has_error(connection_->raw()) && notifier_->isEnabled()) {
            notifier_->setEnabled(false);
            Logger("Platform", "GlobalHotKey").error("The connection to the X server broke: hot keys no longer work");
        }
        for (std::size_t index = 0; index < events.size(); ++index) {
            const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(events[index].get());
            const std::uint8_t type = events[index]->response_type & 0x7f;
            if (type == XCB_KEY_RELEASE && index + 1 < events.size() && isRepeatOf(*key, *events[index + 1])) {
                ++index;
                continue;
            }
            if (type == XCB_KEY_PRESS)
                pressed(*key);
            else if (type == XCB_KEY_RELEASE)
                released(*key);
        }
    }

    // The keyboard repeats a held key as a release and a press of the same
    // time stamp; a real release and press are never that close.
    static bool isRepeatOf(const xcb_key_release_event_t& release, const xcb_generic_event_t& next)
    {
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(&next);
        return (next.response_type & 0x7f) == XCB_KEY_PRESS && press->detail == release.detail &&
               press->time == release.time;
    }

    void pressed(const xcb_key_press_event_t& event)
    {
        const auto registration = registered_.find({event.detail, event.state & hotKeyModifiers});
        if (registration == registered_.end())
            return;
        // The release belongs to this hot key whatever modifiers are still
        // held when it comes.
        held_[event.detail] = registration->second.id;
        deliver({HotKeyEvent::pressed, registration->second.id});
    }

    void released(const xcb_key_release_event_t& event)
    {
        const auto held = held_.find(event.detail);
        if (held == held_.end())
            return;
        const HotKeyID id = held->second;
        held_.erase(held);
        deliver({HotKeyEvent::released, id});
    }

    void deliver(const HotKeyEvent& event) const
    {
        // A copy: the handler may replace itself.
        if (std::function<void(const HotKeyEvent&)> call = handler)
            call(event);
    }

    std::unique_ptr<X11Connection> connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::map<Combination, Registration> registered_;
    std::map<xcb_keycode_t, HotKeyID> held_;
};

} // namespace

GlobalHotKey::GlobalHotKey(std::uint32_t virtualKeyCode, std::uint32_t carbonModifiers, HotKeyID id)
    : modifiers_(x11ModifiersOfCarbon(carbonModifiers))
{
    const std::optional<xcb_keysym_t> keysym = keysymForVirtualKeyCode(virtualKeyCode);
    if (!keysym)
        throw HotKeyRegistrationError("the key has no counterpart on an X display");
    keycode_ = Grabs::shared().add(*keysym, modifiers_, id);
}

GlobalHotKey::~GlobalHotKey()
{
    Grabs::shared().remove(keycode_, modifiers_);
}

void GlobalHotKey::setEventHandler(std::function<void(const HotKeyEvent&)> handler)
{
    Grabs::shared().handler = std::move(handler);
}

} // namespace Platform
