#include "App/Views/HotKeyRecorder/HotKeyRecorderView.h"

#include "App/HotKey/GlobalHotKeyManager.h"
#include "App/Views/HotKeyRecorder/RecorderButton.h"
#include "App/Views/Style/TextStyles.h"

#include <QLabel>
#include <QVBoxLayout>

namespace QEL {

namespace {

constexpr const char* prompt = "Press a key combo...";

// Wide enough for the longest refusal in three lines of caption text.
constexpr int refusalWidth = 260;

} // namespace

HotKeyRecorderView::HotKeyRecorderView(GlobalHotKeyManager& manager, QWidget* parent)
    : QWidget(parent), manager_(&manager), button_(new RecorderButton),
      refusal_(styledLabel({}, TextStyle::caption)),
      catcher_([this](HotKey::Key key, HotKey::ModifierFlags modifiers) { capture(key, modifiers); })
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins({});
    layout->setSpacing(4);
    layout->addWidget(button_, 0, Qt::AlignRight);
    layout->addWidget(refusal_, 0, Qt::AlignRight);
    setTextColor(refusal_, Qt::red);
    refusal_->setWordWrap(true);
    refusal_->setFixedWidth(refusalWidth);
    refusal_->hide();

    connect(button_, &QAbstractButton::clicked, this, [this] { click(); });
    connect(&manager, &GlobalHotKeyManager::bindingChanged, this, [this] {
        if (!isRecording())
            showBinding();
    });
    showBinding();
}

HotKeyRecorderView::~HotKeyRecorderView()
{
    if (isRecording())
        cancel();
}

void HotKeyRecorderView::hideEvent(QHideEvent* event)
{
    if (isRecording())
        cancel();
    QWidget::hideEvent(event);
}

void HotKeyRecorderView::click()
{
    if (isRecording())
        cancel();
    else
        startRecording();
}

void HotKeyRecorderView::startRecording()
{
    if (!manager_)
        return;
    // The old combination must not toggle dictation, and must reach this
    // window so that it can be recorded again.
    manager_->setHotKey(nullptr);
    showRefusal(std::nullopt);
    setRecording(true);
}

void HotKeyRecorderView::capture(HotKey::Key key, HotKey::ModifierFlags modifiers)
{
    setRecording(false);
    if (!manager_)
        return;
    manager_->setCurrentKey(key);
    manager_->setCurrentModifiers(modifiers);
    manager_->saveBinding();
    const std::optional<std::string> refusal = manager_->applyBinding();
    // The manager has gone back to the binding that worked: that one is kept.
    if (refusal)
        manager_->saveBinding();
    showRefusal(refusal);
}

void HotKeyRecorderView::cancel()
{
    setRecording(false);
    if (!manager_)
        return;
    manager_->loadSavedBinding();
    showRefusal(manager_->applyBinding());
}

void HotKeyRecorderView::setRecording(bool recording)
{
    catcher_.setActive(recording);
    button_->setRecording(recording);
    if (recording)
        button_->setText(prompt);
    else
        showBinding();
}

void HotKeyRecorderView::showBinding()
{
    if (manager_)
        button_->setText(QString::fromStdString(manager_->modifierString() + manager_->keyString()));
}

void HotKeyRecorderView::showRefusal(const std::optional<std::string>& refusal)
{
    refusal_->setText(refusal ? QString::fromStdString(*refusal) : QString());
    refusal_->setVisible(refusal.has_value());
}

} // namespace QEL
