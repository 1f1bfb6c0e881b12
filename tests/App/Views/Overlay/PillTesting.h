#pragma once

// Reaching into a pill and a window in tests: its parts by name, clicks at a
// point, and counting the timer events the application handles meanwhile.

#include "App/Views/Overlay/FloatingPillView.h"

#include <QAbstractButton>
#include <QLabel>

#include <gtest/gtest.h>

#include <chrono>

namespace PillTesting {

template <class Part = QWidget>
Part* part(const QWidget& pill, const char* name)
{
    Part* found = pill.findChild<Part*>(name);
    EXPECT_NE(found, nullptr) << "no part named " << name;
    return found;
}

// The text of a label, or none when it is not shown.
std::optional<std::string> shownText(const QWidget& pill, const char* name);

// Shows `widget` as a window that never takes the keyboard focus, so that it
// cannot take it from a desktop test running beside this one.
void showWithoutFocus(QWidget& widget);

// Presses and releases the left mouse button at `position` of `widget`.
void clickAt(QWidget& widget, QPoint position);

// How many timer events the application handled while its events were
// processed for `duration`.
int timerEventsDuring(std::chrono::milliseconds duration);

} // namespace PillTesting
