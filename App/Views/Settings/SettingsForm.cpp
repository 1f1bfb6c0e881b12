#include "App/Views/Settings/SettingsForm.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace QEL {

namespace {

// Only the arrows (and the arrow keys) change its value, so it always moves by
// whole steps; its text cannot be edited.
class Stepper : public QSpinBox {
public:
    Stepper() { lineEdit()->setReadOnly(true); }
};

} // namespace

SettingsForm::SettingsForm(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    auto* sections = new QVBoxLayout(content);
    sections->addStretch();
    setWidget(content);
}

QVBoxLayout* SettingsForm::addSection(const QString& title)
{
    // A title is no mnemonic: "&" stands for itself.
    auto* section = new QGroupBox(QString(title).replace('&', "&&"));
    auto* rows = new QVBoxLayout(section);
    auto* sections = static_cast<QVBoxLayout*>(widget()->layout());
    // Before the stretch that keeps the sections at the top.
    sections->insertWidget(sections->count() - 1, section);
    return rows;
}

QHBoxLayout* addRow(QVBoxLayout* section, const QString& caption, std::initializer_list<QWidget*> trailing)
{
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(caption);
    label->setTextFormat(Qt::PlainText);
    row->addWidget(label);
    row->addStretch();
    for (QWidget* widget : trailing)
        row->addWidget(widget);
    if (trailing.size() > 0) {
        label->setBuddy(*trailing.begin());
        (*trailing.begin())->setAccessibleName(caption);
    }
    section->addLayout(row);
    return row;
}

QSpinBox* millisecondsStepper(int minimum, int maximum, int step)
{
    auto* stepper = new Stepper;
    stepper->setLocale(QLocale::c());
    stepper->setRange(minimum, maximum);
    stepper->setSingleStep(step);
    stepper->setSuffix(" ms");
    return stepper;
}

} // namespace QEL
