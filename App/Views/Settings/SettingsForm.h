#pragma once

#include <QScrollArea>
#include <QString>

#include <initializer_list>

class QHBoxLayout;
class QSpinBox;
class QVBoxLayout;

namespace QEL {

// A page of the settings window: sections of rows, one under the other, which
// scroll when they outgrow the page.
class SettingsForm : public QScrollArea {
public:
    explicit SettingsForm(QWidget* parent = nullptr);

    // A new section below the others; an empty title gives one without a title.
    QVBoxLayout* addSection(const QString& title = {});
};

// Adds a row of a caption, flexible space and the trailing widgets to a
// section. The caption also names the first trailing widget for assistive
// technologies.
QHBoxLayout* addRow(QVBoxLayout* section, const QString& caption, std::initializer_list<QWidget*> trailing);

// A control that steps a whole number through [minimum, maximum] by `step`,
// showing it followed by " ms". Its digits are always plain ASCII without
// grouping, whatever the locale.
QSpinBox* millisecondsStepper(int minimum, int maximum, int step);

} // namespace QEL
