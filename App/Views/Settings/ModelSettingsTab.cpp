#include "App/Views/Settings/ModelSettingsTab.h"

#include "App/Models/LanguageConfig.h"
#include "App/Models/ModelOption.h"
#include "App/State/AppState.h"
#include "App/Views/Style/Symbols.h"
#include "App/Views/Style/TextStyles.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <functional>
#include <string>

namespace QEL {

namespace {

QString text(std::string_view view)
{
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

// A row that answers a click anywhere on it, its empty space included.
class ClickableRow : public QWidget {
public:
    explicit ClickableRow(std::function<void()> onClick) : onClick_(std::move(onClick)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            onClick_();
    }

private:
    std::function<void()> onClick_;
};

// A fact about a model: its symbol and text in the caption style.
QLayout* modelFact(Symbol symbol, std::string_view fact, const QPalette& palette)
{
    auto* layout = new QHBoxLayout;
    layout->setSpacing(3);
    layout->addWidget(symbolLabel(symbol, foreground(Emphasis::secondary, palette), styledFont(TextStyle::caption)));
    layout->addWidget(styledLabel(text(fact), TextStyle::caption, Emphasis::secondary));
    return layout;
}

} // namespace

ModelSettingsTab::ModelSettingsTab(AppState& state, QWidget* parent) : SettingsForm(parent), state_(state)
{
    addModelSection();
    addLanguageSection();
    addReloadSection();
    refresh();

    connect(&state_, &AppState::changed, this, &ModelSettingsTab::refresh);
    connect(&state_, &AppState::selectedModelChanged, this, &ModelSettingsTab::refresh);
    connect(&state_, &AppState::selectedLanguageChanged, this, &ModelSettingsTab::refresh);
}

void ModelSettingsTab::addModelSection()
{
    QVBoxLayout* section = addSection("Speech Recognition Model");
    for (const ModelOption& model : availableModels) {
        auto* row = new ClickableRow([this, id = std::string(model.id)] { state_.setSelectedModel(id); });
        row->setAccessibleName(text(model.name));
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 4, 0, 4);

        auto* description = new QVBoxLayout;
        description->setSpacing(2);
        description->addWidget(styledLabel(text(model.name), TextStyle::body));
        auto* facts = new QHBoxLayout;
        facts->setSpacing(12);
        facts->addLayout(modelFact(Symbol::internalDrive, model.size, palette()));
        facts->addLayout(modelFact(Symbol::bolt, model.speed, palette()));
        facts->addLayout(modelFact(Symbol::target, model.accuracy, palette()));
        facts->addStretch();
        description->addLayout(facts);
        layout->addLayout(description);
        layout->addStretch();

        QLabel* mark = symbolLabel(Symbol::checkmarkCircleFill, QColor(0x0a, 0x84, 0xff), font());
        QSizePolicy policy = mark->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        mark->setSizePolicy(policy);
        layout->addWidget(mark);
        modelMarks_.push_back(mark);
        section->addWidget(row);
    }
}

void ModelSettingsTab::addLanguageSection()
{
    QVBoxLayout* section = addSection("Language");
    language_ = new QComboBox;
    language_->addItem("Auto-detect", "auto");
    language_->insertSeparator(1);
    for (const LanguageConfig& language : LanguageConfig::allLanguages)
        if (language.id != "auto")
            language_->addItem(text(language.name) + " (" + text(language.nativeName) + ")", text(language.id));
    addRow(section, "Transcription Language", {language_});
    connect(language_, &QComboBox::currentIndexChanged, this, [this] {
        if (language_->currentIndex() >= 0)
            state_.setSelectedLanguage(language_->currentData().toString().toStdString());
    });

    languageTip_ = new QWidget;
    auto* tip = new QHBoxLayout(languageTip_);
    tip->setContentsMargins(0, 0, 0, 0);
    const QColor orange(0xff, 0x95, 0x00);
    tip->addWidget(symbolLabel(Symbol::infoCircle, orange, styledFont(TextStyle::caption)));
    QLabel* tipText =
        styledLabel("Tip: Use a multilingual model (Base or Large) for non-English languages", TextStyle::caption);
    setTextColor(tipText, orange);
    tip->addWidget(tipText);
    tip->addStretch();
    section->addWidget(languageTip_);
}

void ModelSettingsTab::addReloadSection()
{
    QVBoxLayout* section = addSection();
    reload_ = new QPushButton("Reload Model");
    connect(reload_, &QPushButton::clicked, this, [this] { state_.loadEngine(); });
    auto* row = new QHBoxLayout;
    row->addWidget(reload_);
    row->addStretch();
    section->addLayout(row);
}

void ModelSettingsTab::refresh()
{
    const std::string model = state_.selectedModel();
    for (std::size_t index = 0; index < availableModels.size(); ++index)
        modelMarks_[index]->setVisible(availableModels[index].id == model);

    const std::string language = state_.selectedLanguage();
    {
        const QSignalBlocker blocker(language_);
        // A code that no entry has leaves the picker without a selection.
        language_->setCurrentIndex(language_->findData(QString::fromStdString(language)));
    }
    languageTip_->setVisible(language != "en" && language != "auto");
    reload_->setEnabled(!state_.isLoadingModel());
}

} // namespace QEL
