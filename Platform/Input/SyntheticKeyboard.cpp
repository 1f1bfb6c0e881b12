#include "Platform/Input/SyntheticKeyboard.h"

#include "Platform/Desktop/X11Connection.h"
#include "Platform/Input/CharacterKeysym.h"
#include "Platform/Input/SpareKeycodes.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UnicodeScalars.h"

#include <X11/keysym.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

namespace Platform {

// The keyboard as the process shares it: whose turn it is, the spare key
// codes, and a thread that gives lent codes back once no sequence has used
// them for a while.
struct SharedKeyboard {
    // First, so that the connection is made before this and outlives it.
    const X11Connection& connection = X11Connection::shared();
    std::mutex turn;
    SpareKeycodes spares{connection};
    std::optional<std::chrono::steady_clock::time_point> giveBackAt;
    std::condition_variable_any lendingChanged;
    std::jthread giver{[this](std::stop_token stop) { giveBackWhenDue(stop); }};

    ~SharedKeyboard()
    {
        giver.request_stop();
        giver.join();
        spares.giveBackAll();
    }

    void giveBackWhenDue(std::stop_token stop)
    {
        std::unique_lock lock(turn);
        while (!stop.stop_requested()) {
            if (!giveBackAt) {
                lendingChanged.wait(lock, stop, [&] { return giveBackAt.has_value(); });
            } else if (std::chrono::steady_clock::now() < *giveBackAt) {
                const auto due = *giveBackAt;
                lendingChanged.wait_until(lock, stop, due, [&] { return giveBackAt != due; });
            } else {
                giveBackAt.reset();
                spares.giveBackAll();
            }
        }
    }
};

namespace {

SharedKeyboard& sharedKeyboard()
{
    try {
        static SharedKeyboard keyboard;
        if (!keyboard.connection.hasXTest())
            throw SyntheticInputError("Cannot send key presses: the X server does not offer the XTEST extension");
        return keyboard;
    } catch (const X11Unavailable& error) {
        std::throw_with_nested(SyntheticInputError(std::string("Cannot send key presses: ") + error.what()));
    }
}

KeyboardMapping currentMapping(const X11Connection& connection)
{
    KeyboardMapping mapping = connection.keyboardMapping();
    if (mapping.keysyms.empty())
        throw SyntheticInputError("Cannot send key presses: the X server did not give its key table");
    return mapping;
}

bool isControlCharacter(char32_t codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7f && codePoint < 0xa0);
}

} // namespace

bool SyntheticKeyboard::isAvailable()
{
    try {
        return X11Connection::shared().hasXTest();
    } catch (const X11Unavailable&) {
        return false;
    }
}

SyntheticKeyboard::SyntheticKeyboard()
    : shared_(sharedKeyboard()), turn_(shared_.turn), mapping_(currentMapping(shared_.connection))
{
    shared_.giveBackAt.reset();
    shared_.spares.adopt(mapping_);
    releaseHeldModifiers();
}

SyntheticKeyboard::~SyntheticKeyboard()
{
    if (shared_.spares.anyLent()) {
        shared_.giveBackAt = std::chrono::steady_clock::now() + lendingTime;
        shared_.lendingChanged.notify_all();
    }
}

void SyntheticKeyboard::press(xcb_keysym_t key, std::span<const xcb_keysym_t> modifiers)
{
    std::vector<xcb_keysym_t> held(modifiers.begin(), modifiers.end());
    const Position target = positionOf(key);
    if (target.needsShift && std::find(held.begin(), held.end(), XK_Shift_L) == held.end())
        held.push_back(XK_Shift_L);
    std::vector<xcb_keycode_t> keycodes;
    for (xcb_keysym_t modifier : held)
        keycodes.push_back(positionOf(modifier).keycode);
    keycodes.push_back(target.keycode);

    std::size_t down = 0;
    try {
        for (; down < keycodes.size(); ++down)
            send(keycodes[down], true);
    } catch (const SyntheticInputError&) {
        while (down > 0)
            shared_.connection.fakeKeyEvent(keycodes[--down], false);
        throw;
    }
    shared_.spares.pressed(target.keycode);
    while (down > 0)
        send(keycodes[--down], false);
}

void SyntheticKeyboard::type(std::string_view text, std::chrono::duration<double> pauseAfterEachCharacter)
{
    for (std::string_view character : graphemeClusters(text)) {
        for (char32_t codePoint : unicodeScalars(character))
            typeCodePoint(codePoint);
        std::this_thread::sleep_for(pauseAfterEachCharacter);
    }
}

void SyntheticKeyboard::typeCodePoint(char32_t codePoint)
{
    if (codePoint == '\n')
        press(XK_Return);
    else if (codePoint == '\t')
        press(XK_Tab);
    else if (!isControlCharacter(codePoint))
        press(keysymForCodePoint(codePoint));
}

SyntheticKeyboard::Position SyntheticKeyboard::positionOf(xcb_keysym_t keysym)
{
    if (const auto position = mapping_.find(keysym))
        return {position->keycode, position->level == 1};
    return {shared_.spares.keycodeFor(keysym), false};
}

void SyntheticKeyboard::releaseHeldModifiers()
{
    const X11Connection& connection = shared_.connection;
    auto keys = connection.reply(xcb_query_keymap_reply, xcb_query_keymap(connection.raw()));
    auto modifiers = connection.reply(xcb_get_modifier_mapping_reply, xcb_get_modifier_mapping(connection.raw()));
    if (!keys || !modifiers)
        throw SyntheticInputError("Cannot send key presses: the X server did not say which keys are down");
    // Eight rows, Shift, Lock, Control, Mod1 to Mod5; Lock is a state, not a
    // key being held.
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
    const int perRow = modifiers->keycodes_per_modifier;
    for (int row = 0; row < 8; ++row) {
        if (row == 1)
            continue;
        for (int column = 0; column < perRow; ++column) {
            const xcb_keycode_t keycode = keycodes[row * perRow + column];
            if (keycode != 0 && (keys->keys[keycode / 8] >> (keycode % 8) & 1))
                send(keycode, false);
        }
    }
}

void SyntheticKeyboard::send(xcb_keycode_t keycode, bool press)
{
    if (const auto error = shared_.connection.fakeKeyEvent(keycode, press))
        throw SyntheticInputError("The X server refused a synthetic key event: " + error->description());
}

} // namespace Platform
