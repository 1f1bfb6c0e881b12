#include "App/Views/Overlay/FloatingPillView.h"

#include "App/Models/SavedTranscript.h"
#include "App/Views/Common/Easing.h"
#include "App/Views/Common/LinearProgressBar.h"
#include "App/Views/Overlay/LiveWaveformView.h"
#include "App/Views/Overlay/OneLineLabel.h"
#include "App/Views/Overlay/PillButtons.h"
#include "App/Views/Overlay/PillColours.h"
#include "App/Views/Style/TextStyles.h"
#include "Platform/Text/Format.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

namespace QEL {

namespace {

constexpr int rowHeight = 48;
constexpr int rowInset = 12;       // left and right of the row
constexpr int rowSpacing = 8;      // between the row's three parts
constexpr int rowVerticalInset = 8;
constexpr double idleCornerRadius = 24;
constexpr double recordingCornerRadius = 16;

// The spring of the panel's size: a response of 0.3 s with a damping fraction
// of 0.8 overshoots by 1.5 % and is within half a point of rest after 0.4 s.
constexpr double springResponse = 0.3;
constexpr double springDamping = 0.8;
constexpr int springMilliseconds = 400;

// The faintest white of a text on the panel: about 5:1 against it, whatever
// shows through from below, where fainter texts read poorly.
constexpr double dimTextOpacity = 0.5;

constexpr double pulseScaleLimit = 1.4;
constexpr int pulseHalfPeriodMilliseconds = 600;

// Sizes are in points, which are the desktop's logical pixels.
QFont pillFont(int points, QFont::Weight weight = QFont::Normal)
{
    QFont font = QApplication::font();
    font.setPixelSize(points);
    font.setWeight(weight);
    return font;
}

QFont monospacedFont(int points, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(points);
    font.setWeight(weight);
    return font;
}

template <class Label>
Label* makeLabel(QWidget* parent, const QFont& font, const QColor& colour)
{
    auto* label = new Label(parent);
    label->setTextFormat(Qt::PlainText); // transcripts are shown as spoken, never as markup
    label->setFont(font);
    setTextColor(label, colour);
    return label;
}

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

double lerp(double from, double to, double amount)
{
    return from + (to - from) * amount;
}

} // namespace

FloatingPillView::FloatingPillView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    resize(idleSize);
    content_ = new QWidget(this);
    buildTopRow();
    buildExpandedArea();

    spring_.setStartValue(0.0);
    spring_.setEndValue(1.0);
    spring_.setDuration(springMilliseconds);
    connect(&spring_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const double target = state_.isRecording ? 1 : 0;
        const double seconds = value.toDouble() * springMilliseconds / 1000.0;
        setExpansion(lerp(springStart_, target, springPosition(seconds, springResponse, springDamping)));
    });
    connect(&spring_, &QVariantAnimation::finished, this, [this] { setExpansion(state_.isRecording ? 1 : 0); });

    // From 1 to the limit and back, again and again, easing in and out each way.
    pulse_.setStartValue(0.0);
    pulse_.setEndValue(1.0);
    pulse_.setDuration(2 * pulseHalfPeriodMilliseconds);
    pulse_.setLoopCount(-1);
    connect(&pulse_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const double progress = value.toDouble();
        const double way = progress < 0.5 ? 2 * progress : 2 - 2 * progress;
        pulseScale_ = lerp(1, pulseScaleLimit, easeInEaseOut().valueForProgress(way));
        updateRecordLook();
    });

    applyState(nullptr);
}

void FloatingPillView::buildTopRow()
{
    leftButton_ = new SymbolButton(content_);
    leftButton_->setObjectName("leftButton");
    connect(leftButton_, &QAbstractButton::clicked, this, [this] {
        if (state_.isRecording)
            emit stopRequested();
    });

    meter_ = new LiveWaveformView(content_);
    meter_->setObjectName("meter");
    loadingPhase_ = makeLabel<OneLineLabel>(content_, pillFont(10, QFont::Medium), whiteWithOpacity(0.7));
    loadingPhase_->setAlignment(Qt::AlignCenter);
    loadingPhase_->setObjectName("loadingPhase");
    loadingBar_ = new LinearProgressBar(PillColours::blue, whiteWithOpacity(0.15), content_);
    loadingBar_->setObjectName("loadingBar");
    error_ = makeLabel<OneLineLabel>(content_, pillFont(10), withOpacity(PillColours::red, 0.8));
    error_->setAlignment(Qt::AlignCenter);
    error_->setObjectName("error");
    hint_ = makeLabel<OneLineLabel>(content_, pillFont(11, QFont::Medium), whiteWithOpacity(dimTextOpacity));
    hint_->setAlignment(Qt::AlignCenter);
    hint_->setObjectName("hint");

    recordButton_ = new RecordButton(content_);
    recordButton_->setObjectName("recordButton");
    connect(recordButton_, &QAbstractButton::clicked, this, &FloatingPillView::toggleRequested);
}

void FloatingPillView::buildExpandedArea()
{
    expanded_ = new QWidget(content_);
    auto* column = new QVBoxLayout(expanded_);
    column->setContentsMargins(0, 1, 0, 0); // the divider is drawn in the gap
    column->setSpacing(0);

    auto* scroll = new QScrollArea(expanded_);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMaximumHeight(60);
    scroll->setStyleSheet("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"
                          "QScrollBar:vertical { background: transparent; width: 6px; margin: 2px; }"
                          "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 80); border-radius: 1px; "
                          "min-height: 12px; }"
                          "QScrollBar::add-line, QScrollBar::sub-line, QScrollBar::add-page, QScrollBar::sub-page "
                          "{ height: 0; background: none; }");
    auto* lines = new QWidget;
    auto* stack = new QVBoxLayout(lines);
    stack->setContentsMargins(14, 8, 14, 8);
    stack->setSpacing(4);
    transcript_ = makeLabel<QLabel>(lines, pillFont(12), whiteWithOpacity(0.9));
    transcript_->setWordWrap(true);
    transcript_->setObjectName("transcript");
    transcript_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    partial_ = makeLabel<QLabel>(lines, pillFont(12), whiteWithOpacity(dimTextOpacity));
    QFont italic = partial_->font();
    italic.setItalic(true);
    partial_->setFont(italic);
    partial_->setWordWrap(true);
    partial_->setObjectName("partial");
    listening_ = makeLabel<QLabel>(lines, pillFont(11), whiteWithOpacity(dimTextOpacity));
    listening_->setText(tr("Listening..."));
    listening_->setObjectName("listening");
    for (QLabel* line : {transcript_, partial_, listening_})
        stack->addWidget(line);
    stack->addStretch();
    scroll->setWidget(lines);
    column->addWidget(scroll, 1);

    auto* status = new QHBoxLayout;
    status->setContentsMargins(14, 0, 14, 6);
    latency_ = makeLabel<QLabel>(expanded_, monospacedFont(9, QFont::Medium), withOpacity(PillColours::green, 0.6));
    latency_->setObjectName("latency");
    wordCount_ = makeLabel<QLabel>(expanded_, pillFont(9, QFont::Medium), whiteWithOpacity(dimTextOpacity));
    wordCount_->setObjectName("wordCount");
    status->addWidget(latency_);
    status->addStretch();
    status->addWidget(wordCount_);
    column->addLayout(status);
}

void FloatingPillView::setState(const PillState& state)
{
    if (state == state_)
        return;
    const PillState previous = std::exchange(state_, state);
    applyState(&previous);
}

void FloatingPillView::applyState(const PillState* previous)
{
    const PillState& now = state_;
    auto changed = [&](auto PillState::*field) { return !previous || now.*field != previous->*field; };
    meter_->setLevel(now.audioLevel, now.isSpeechDetected);
    if (changed(&PillState::isRecording) || changed(&PillState::isSpeechDetected)) {
        leftButton_->setSymbol(now.isRecording ? Symbol::xmark : Symbol::waveform,
                               whiteWithOpacity(now.isRecording ? 0.7 : 0.3));
        updatePulse();
        updateRecordLook();
        layoutContent();
    }
    if (previous && changed(&PillState::isRecording)) {
        springStart_ = expansion_;
        spring_.stop();
        if (isVisible())
            spring_.start();
        else
            setExpansion(now.isRecording ? 1 : 0);
    }
    recordButton_->setEnabled(now.isModelLoaded || now.isRecording);

    loadingPhase_->setText(now.modelLoadPhase.empty() ? tr("Loading...") : text(now.modelLoadPhase));
    loadingBar_->setValue(now.modelDownloadProgress);
    error_->setText(now.errorMessage ? text(*now.errorMessage) : QString());
    hint_->setText(text(now.hotKey) + tr(" to dictate"));
    if (now.isRecording)
        showMiddle(Middle::meter);
    else if (now.isLoadingModel)
        showMiddle(Middle::loading);
    else if (now.errorMessage)
        showMiddle(Middle::error);
    else
        showMiddle(Middle::hint);

    if (changed(&PillState::currentTranscript) || changed(&PillState::partialTranscript) ||
        changed(&PillState::lastLatencyMs))
        showTranscripts();
}

void FloatingPillView::showMiddle(Middle middle)
{
    meter_->setVisible(middle == Middle::meter);
    loadingPhase_->setVisible(middle == Middle::loading);
    loadingBar_->setVisible(middle == Middle::loading);
    error_->setVisible(middle == Middle::error);
    hint_->setVisible(middle == Middle::hint);
}

void FloatingPillView::showTranscripts()
{
    transcript_->setText(text(state_.currentTranscript));
    transcript_->setVisible(!state_.currentTranscript.empty());
    partial_->setText(text(state_.partialTranscript));
    partial_->setVisible(!state_.partialTranscript.empty());
    listening_->setVisible(state_.currentTranscript.empty() && state_.partialTranscript.empty());

    latency_->setText(QString::fromStdString(Platform::wholeNumberText(state_.lastLatencyMs)) + "ms");
    latency_->setVisible(state_.lastLatencyMs > 0);
    const std::int64_t words = SavedTranscript::countWords(state_.currentTranscript);
    wordCount_->setText(QString::number(words) + tr(" words"));
    wordCount_->setVisible(words > 0);
}

void FloatingPillView::updatePulse()
{
    const bool showsRing = state_.isRecording && state_.isSpeechDetected;
    if (showsRing && isVisible()) {
        if (pulse_.state() != QAbstractAnimation::Running)
            pulse_.start();
        return;
    }
    // Without the ring the pulse cannot be seen, so it rests at 1 and no timer
    // runs for it; the next ring starts from 1.
    pulse_.stop();
    pulseScale_ = 1;
}

void FloatingPillView::updateRecordLook()
{
    recordButton_->setLook(state_.isRecording, state_.isRecording && state_.isSpeechDetected, pulseScale_);
}

void FloatingPillView::setExpansion(double expansion)
{
    expansion_ = expansion;
    layoutContent();
    update();
}

QRectF FloatingPillView::pillRect() const
{
    return QRectF(content_->geometry());
}

double FloatingPillView::cornerRadius() const
{
    return std::max(0.0, lerp(idleCornerRadius, recordingCornerRadius, expansion_));
}

void FloatingPillView::layoutContent()
{
    const QSize size(int(std::lround(lerp(idleSize.width(), recordingSize.width(), expansion_))),
                     int(std::lround(lerp(idleSize.height(), recordingSize.height(), expansion_))));
    content_->setGeometry(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size));

    const int width = size.width();
    leftButton_->move(rowInset, (rowHeight - SymbolButton::side) / 2);
    const int recordFootprint = recordButton_->showsRing() ? RecordButton::ringDiameter : RecordButton::circleDiameter;
    const QPoint recordCentre(width - rowInset - recordFootprint / 2, rowHeight / 2);
    recordButton_->move(recordCentre - QPoint(RecordButton::side / 2, RecordButton::side / 2));

    const int middleLeft = rowInset + SymbolButton::side + rowSpacing;
    const QRect middle(middleLeft, rowVerticalInset,
                       std::max(0, width - rowInset - recordFootprint - rowSpacing - middleLeft),
                       rowHeight - 2 * rowVerticalInset);
    meter_->move(middle.left() + (middle.width() - LiveWaveformView::meterWidth) / 2,
                 middle.top() + (middle.height() - LiveWaveformView::meterHeight) / 2);
    error_->setGeometry(middle);
    hint_->setGeometry(middle);
    // The load phase over its bar, the pair centred in the row.
    const int phaseHeight = loadingPhase_->fontMetrics().height();
    const int stackHeight = phaseHeight + 3 + LinearProgressBar::barHeight;
    const int stackTop = middle.top() + (middle.height() - stackHeight) / 2;
    loadingPhase_->setGeometry(middle.left(), stackTop, middle.width(), phaseHeight);
    const int barWidth = std::min(100, middle.width());
    loadingBar_->setGeometry(middle.left() + (middle.width() - barWidth) / 2, stackTop + phaseHeight + 3, barWidth,
                             LinearProgressBar::barHeight);

    expanded_->setGeometry(0, rowHeight, width, std::max(0, size.height() - rowHeight));
    expanded_->setVisible(state_.isRecording || expansion_ > 0);
    updateWindowShape();
}

void FloatingPillView::setShapesWindow(bool shapes)
{
    shapesWindow_ = shapes;
    if (!shapes)
        window()->clearMask();
    updateWindowShape();
}

void FloatingPillView::updateWindowShape()
{
    if (!shapesWindow_)
        return;
    QPainterPath shape;
    shape.addRoundedRect(QRectF(mapTo(window(), content_->pos()), content_->size()), cornerRadius(), cornerRadius());
    window()->setMask(QRegion(shape.toFillPolygon().toPolygon()));
}

void FloatingPillView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF pill = pillRect();
    const double radius = cornerRadius();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.88f));
    painter.drawRoundedRect(pill, radius, radius);
    // A hairline just inside the edge.
    constexpr double border = 0.5;
    painter.setPen(QPen(whiteWithOpacity(0.08), border));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(pill.adjusted(border / 2, border / 2, -border / 2, -border / 2), radius - border / 2,
                            radius - border / 2);
    if (expanded_->isVisible()) {
        painter.setPen(QPen(whiteWithOpacity(0.1), 1));
        const double y = pill.top() + rowHeight + 0.5;
        painter.drawLine(QPointF(pill.left(), y), QPointF(pill.right(), y));
    }
}

void FloatingPillView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutContent();
}

void FloatingPillView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updatePulse();
}

void FloatingPillView::hideEvent(QHideEvent* event)
{
    // Nothing animates off screen: each animation jumps to its end.
    if (spring_.state() == QAbstractAnimation::Running) {
        spring_.stop();
        setExpansion(state_.isRecording ? 1 : 0);
    }
    updatePulse();
    updateRecordLook();
    QWidget::hideEvent(event);
}

// A drag anywhere on the panel but its buttons and its selectable text moves
// the window.
void FloatingPillView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    dragOffset_ = event->globalPosition().toPoint() - window()->pos();
}

void FloatingPillView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragOffset_ && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - *dragOffset_);
}

void FloatingPillView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragOffset_.reset();
    QWidget::mouseReleaseEvent(event);
}

} // namespace QEL
