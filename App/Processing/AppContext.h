#pragma once

#include "Platform/Desktop/FrontmostApplication.h"

#include <optional>

namespace QEL {

// The kind of application that will receive the dictated text.
class AppContext {
public:
    enum Kind { general, email, teamChat, messaging, codeEditor, terminal };

    constexpr AppContext(Kind kind = general) : kind_(kind) {}
    constexpr operator Kind() const { return kind_; }

    // The kind of the frontmost application, looked up afresh on every call.
    static AppContext detect();
    // The kind of `application`; `general` when there is none.
    static AppContext classify(const std::optional<Platform::FrontmostApplication>& application);

private:
    Kind kind_;
};

} // namespace QEL
