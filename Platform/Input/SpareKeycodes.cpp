#include "Platform/Input/SpareKeycodes.h"

#include "Platform/Desktop/X11Connection.h"
#include "Platform/Input/SyntheticInputError.h"
#include "Platform/Log/Log.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace Platform {

namespace {

bool isEmpty(std::span<const xcb_keysym_t> symbols)
{
    return std::all_of(symbols.begin(), symbols.end(), [](xcb_keysym_t symbol) { return symbol == 0; });
}

// Whether lending `keysym` is all that `symbols` show. The server reports a
// lent symbol on the levels of the second group as well.
bool carriesOnly(std::span<const xcb_keysym_t> symbols, xcb_keysym_t keysym)
{
    return !symbols.empty() && symbols.front() == keysym &&
           std::all_of(symbols.begin(), symbols.end(), [&](xcb_keysym_t s) { return s == keysym || s == 0; });
}

void waitUntilSettled(std::chrono::steady_clock::time_point lastPressed)
{
    std::this_thread::sleep_until(lastPressed + SpareKeycodes::settleTime);
}

} // namespace

SpareKeycodes::SpareKeycodes(const X11Connection& connection) : connection_(connection) {}

void SpareKeycodes::adopt(KeyboardMapping& mapping)
{
    keysymsPerKeycode_ = mapping.keysymsPerKeycode;
    std::vector<Loan> pool;
    const std::size_t keyCount = keysymsPerKeycode_ ? mapping.keysyms.size() / keysymsPerKeycode_ : 0;
    for (std::size_t key = 0; key < keyCount; ++key) {
        const auto keycode = static_cast<xcb_keycode_t>(mapping.firstKeycode + key);
        const std::span<xcb_keysym_t> symbols =
            std::span(mapping.keysyms).subspan(key * keysymsPerKeycode_, keysymsPerKeycode_);
        const auto known =
            std::find_if(loans_.begin(), loans_.end(), [&](const Loan& loan) { return loan.keycode == keycode; });
        if (known != loans_.end() && known->keysym != 0 && carriesOnly(symbols, known->keysym))
            pool.push_back(*known);
        else if (isEmpty(symbols))
            pool.push_back(
                {keycode, 0, known != loans_.end() ? known->lastPressed : std::chrono::steady_clock::time_point{}});
        else
            continue;
        std::fill(symbols.begin(), symbols.end(), 0);
    }
    loans_ = std::move(pool);
}

xcb_keycode_t SpareKeycodes::keycodeFor(xcb_keysym_t keysym)
{
    const auto lent =
        std::find_if(loans_.begin(), loans_.end(), [&](const Loan& loan) { return loan.keysym == keysym; });
    if (lent != loans_.end())
        return lent->keycode;
    // Codes not lent first, and of those or else of the lent ones the least
    // recently pressed.
    const auto next = std::min_element(loans_.begin(), loans_.end(), [](const Loan& a, const Loan& b) {
        return std::pair(a.keysym != 0, a.lastPressed) < std::pair(b.keysym != 0, b.lastPressed);
    });
    if (next == loans_.end()) {
        char name[16];
        std::snprintf(name, sizeof name, "0x%x", keysym);
        throw SyntheticInputError(std::string("Cannot type the key symbol ") + name +
                                  ": it is not on the keyboard, and the keyboard has no spare key code to put it on");
    }
    waitUntilSettled(next->lastPressed);
    assign(*next, keysym);
    return next->keycode;
}

void SpareKeycodes::pressed(xcb_keycode_t keycode)
{
    for (Loan& loan : loans_) {
        if (loan.keycode == keycode)
            loan.lastPressed = std::chrono::steady_clock::now();
    }
}

bool SpareKeycodes::anyLent() const
{
    return std::any_of(loans_.begin(), loans_.end(), [](const Loan& loan) { return loan.keysym != 0; });
}

void SpareKeycodes::giveBackAll()
{
    for (Loan& loan : loans_) {
        if (loan.keysym == 0)
            continue;
        try {
            waitUntilSettled(loan.lastPressed);
            assign(loan, 0);
        } catch (const SyntheticInputError& error) {
            Logger("Platform", "Input").error(error.what());
            loan.keysym = 0;
        }
    }
}

void SpareKeycodes::assign(Loan& loan, xcb_keysym_t keysym)
{
    // The symbol on the plain and the shifted level, so that Shift held or
    // not makes no difference.
    std::vector<xcb_keysym_t> symbols(keysymsPerKeycode_, 0);
    std::fill_n(symbols.begin(), std::min<std::size_t>(2, symbols.size()), keysym);
    const auto error = connection_.check(
        xcb_change_keyboard_mapping_checked(connection_.raw(), 1, loan.keycode, keysymsPerKeycode_, symbols.data()));
    if (error)
        throw SyntheticInputError("The X server refused to change key code " + std::to_string(loan.keycode) + ": " +
                                  error->description());
    loan.keysym = keysym;
}

} // namespace Platform
