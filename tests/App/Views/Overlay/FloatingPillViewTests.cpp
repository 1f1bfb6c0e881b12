#include "App/Views/Overlay/FloatingPillView.h"
#include "App/Views/Common/LinearProgressBar.h"
#include "App/Views/Overlay/LiveWaveformView.h"
#include "App/Views/Overlay/PillButtons.h"

#include "App/Views/Overlay/PillTesting.h"
#include "Support/Waiting.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using PillTesting::part;
using PillTesting::shownText;
using QEL::FloatingPillView;
using QEL::LiveWaveformView;
using QEL::PillState;

namespace {

PillState idle()
{
    return {.isModelLoaded = true, .hotKey = "⌥⇧Space"};
}

PillState recording()
{
    PillState state = idle();
    state.isRecording = true;
    return state;
}

} // namespace

TEST(FloatingPill, SpringsBetweenTheIdleAndTheRecordingShape)
{
    FloatingPillView pill;
    EXPECT_EQ(pill.pillRect().size(), QSizeF(240, 48));
    EXPECT_EQ(pill.cornerRadius(), 24);
    auto* left = part<QEL::SymbolButton>(pill, "leftButton");
    EXPECT_EQ(left->symbol(), QEL::Symbol::waveform);
    EXPECT_NEAR(left->colour().alphaF(), 0.3, 0.01);

    // Off screen the change takes effect at once.
    pill.setState(recording());
    EXPECT_EQ(pill.pillRect().size(), QSizeF(380, 120));
    EXPECT_EQ(pill.cornerRadius(), 16);
    EXPECT_EQ(left->symbol(), QEL::Symbol::xmark);
    EXPECT_NEAR(left->colour().alphaF(), 0.7, 0.01);
    EXPECT_TRUE(part<QEL::RecordButton>(pill, "recordButton")->isRecording());

    // On screen it springs: first still small, then grown, and back again.
    pill.setState(idle());
    pill.resize(FloatingPillView::recordingSize);
    PillTesting::showWithoutFocus(pill);
    pill.setState(recording());
    EXPECT_LT(pill.pillRect().width(), 300);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return pill.pillRect().size() == QSizeF(380, 120); }));
    // Centred in the widget that holds it.
    EXPECT_EQ(pill.pillRect().center(), QRectF(pill.rect()).center());
    pill.setState(idle());
    EXPECT_TRUE(TestSupport::waitUntil([&] { return pill.cornerRadius() == 24; }));
    EXPECT_EQ(pill.pillRect().size(), QSizeF(240, 48));
}

TEST(FloatingPill, TheRowsMiddleShowsTheFirstCaseThatHolds)
{
    struct Case {
        const char* name;
        PillState state;
        const char* shown; // the part in the middle
        std::string text;
    };
    PillState loading = idle();
    loading.isLoadingModel = true;
    loading.modelDownloadProgress = 0.426;
    PillState loadingPhase = loading;
    loadingPhase.modelLoadPhase = "Downloading model";
    PillState failed = idle();
    failed.isModelLoaded = false;
    failed.errorMessage = "Failed to load model: the file is not a model";
    PillState failedWhileLoading = loading;
    failedWhileLoading.errorMessage = "an older error";
    PillState recordingDespiteError = recording();
    recordingDespiteError.errorMessage = "an older error";
    const Case cases[] = {
        {"idle", idle(), "hint", "⌥⇧Space to dictate"},
        {"loading, no phase yet", loading, "loadingPhase", "Loading..."},
        {"loading", loadingPhase, "loadingPhase", "Downloading model"},
        {"loading before an old error", failedWhileLoading, "loadingPhase", "Loading..."},
        {"error", failed, "error", "Failed to load model: the file is not a model"},
        {"recording", recordingDespiteError, "meter", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FloatingPillView pill;
        pill.setState(c.state);
        for (const char* name : {"hint", "loadingPhase", "error", "meter"})
            EXPECT_EQ(!part(pill, name)->isHidden(), std::string(name) == c.shown) << name;
        if (!c.text.empty()) {
            EXPECT_EQ(shownText(pill, c.shown), c.text);
        }
        EXPECT_EQ(!part(pill, "loadingBar")->isHidden(), std::string(c.shown) == "loadingPhase");
    }

    FloatingPillView pill;
    pill.setState(loading);
    auto* bar = part<QEL::LinearProgressBar>(pill, "loadingBar");
    EXPECT_DOUBLE_EQ(bar->value(), 0.426);
    EXPECT_LE(bar->width(), 100);
}

TEST(FloatingPill, ALongErrorKeepsToOneLineInsideThePill)
{
    PillState failed = idle();
    failed.errorMessage = std::string(300, 'x') + "\nsecond line";
    FloatingPillView pill;
    pill.setState(failed);
    QWidget* error = part(pill, "error");
    EXPECT_LE(error->geometry().right(), part(pill, "recordButton")->geometry().center().x() - 14);
    EXPECT_EQ(shownText(pill, "error"), *failed.errorMessage); // the whole text, cut only when drawn

    // The drawn text takes one line's height.
    QImage image(error->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    error->render(&image, {}, {}, QWidget::RenderFlags());
    int top = image.height();
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) {
                top = std::min(top, y);
                bottom = y;
            }
        }
    }
    EXPECT_GT(bottom, top);
    EXPECT_LE(bottom - top, error->fontMetrics().height());
}

TEST(FloatingPill, TheExpandedAreaShowsTheTranscriptsLatencyAndWordCount)
{
    struct Case {
        std::string current;
        std::string partial;
        double latencyMs;
        std::optional<std::string> transcript, partialShown, listening, latency, words;
    };
    const Case cases[] = {
        {"", "", 0, std::nullopt, std::nullopt, "Listening...", std::nullopt, std::nullopt},
        {"", "so far", 0, std::nullopt, "so far", std::nullopt, std::nullopt, std::nullopt},
        {"two  words ", "", 312.7, "two  words ", std::nullopt, std::nullopt, "312ms", "2 words"},
        {"one", "and then", 0.4, "one", "and then", std::nullopt, "0ms", "1 words"},
        {"   ", "", -5, "   ", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {"tab\tand\nline", "", 0, "tab\tand\nline", std::nullopt, std::nullopt, std::nullopt, "1 words"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current + "|" + c.partial);
        PillState state = recording();
        state.currentTranscript = c.current;
        state.partialTranscript = c.partial;
        state.lastLatencyMs = c.latencyMs;
        FloatingPillView pill;
        pill.setState(state);
        EXPECT_EQ(shownText(pill, "transcript"), c.transcript);
        EXPECT_EQ(shownText(pill, "partial"), c.partialShown);
        EXPECT_EQ(shownText(pill, "listening"), c.listening);
        EXPECT_EQ(shownText(pill, "latency"), c.latency);
        EXPECT_EQ(shownText(pill, "wordCount"), c.words);
    }

    // The final text comes first, the preview below it.
    PillState both = recording();
    both.currentTranscript = "final";
    both.partialTranscript = "preview";
    FloatingPillView pill;
    pill.setState(both);
    EXPECT_LT(part(pill, "transcript")->y(), part(pill, "partial")->y());
    // Idle, the area is gone.
    pill.setState(idle());
    EXPECT_FALSE(part(pill, "transcript")->isVisible());
}

TEST(FloatingPill, BarsFollowTheLevel)
{
    // Computed by hand from the meter's formula.
    struct Case {
        int index;
        float level;
        bool isSpeech;
        double height;
    };
    const Case cases[] = {
        {0, 0, true, 8},    {6, 0, true, 8},        {11, 0, false, 4},      {6, 1, true, 10.841},
        {0, 0.5f, false, 5.709}, {6, 0.5f, true, 9.626}, {3, 0.25f, false, 4.997},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(LiveWaveformView::barHeight(c.index, c.level, c.isSpeech), c.height, 0.001)
            << c.index << " at " << c.level;
    EXPECT_EQ(LiveWaveformView::meterWidth, 58);

    // The pill hands its level to the meter, which draws the bars centred.
    PillState loud = recording();
    loud.audioLevel = 0.5f;
    loud.isSpeechDetected = true;
    FloatingPillView pill;
    pill.setState(loud);
    const auto* meter = part<LiveWaveformView>(pill, "meter");
    for (int i = 0; i < LiveWaveformView::barCount; ++i) {
        const QRectF bar = meter->barRect(i);
        EXPECT_DOUBLE_EQ(bar.height(), LiveWaveformView::barHeight(i, 0.5f, true));
        EXPECT_DOUBLE_EQ(bar.center().y(), LiveWaveformView::meterHeight / 2.0);
        EXPECT_EQ(bar.width(), 3);
    }
    EXPECT_EQ(meter->barRect(11).right(), 58);
}

TEST(FloatingPill, TheLeftButtonStopsARecordingAndTheRecordButtonToggles)
{
    FloatingPillView pill;
    int stops = 0;
    int toggles = 0;
    QObject::connect(&pill, &FloatingPillView::stopRequested, [&] { ++stops; });
    QObject::connect(&pill, &FloatingPillView::toggleRequested, [&] { ++toggles; });
    auto* left = part<QAbstractButton>(pill, "leftButton");
    auto* record = part<QAbstractButton>(pill, "recordButton");
    const QPoint circleCentre = record->rect().center();

    PillState unloaded = idle();
    unloaded.isModelLoaded = false;
    pill.setState(unloaded);
    EXPECT_FALSE(record->isEnabled());
    PillTesting::clickAt(*record, circleCentre);
    PillTesting::clickAt(*left, left->rect().center());
    EXPECT_EQ(toggles, 0);
    EXPECT_EQ(stops, 0);

    // Recording, both work even without a model.
    PillState stillRecording = recording();
    stillRecording.isModelLoaded = false;
    pill.setState(stillRecording);
    EXPECT_TRUE(record->isEnabled());
    PillTesting::clickAt(*left, left->rect().center());
    EXPECT_EQ(stops, 1);
    PillTesting::clickAt(*record, circleCentre);
    EXPECT_EQ(toggles, 1);

    // Only the circle takes clicks, not the room around it for the ring.
    pill.setState(idle());
    EXPECT_TRUE(record->isEnabled());
    PillTesting::clickAt(*record, circleCentre + QPoint(13, 0));
    PillTesting::clickAt(*record, circleCentre + QPoint(11, 11));
    PillTesting::clickAt(*record, QPoint(1, 1));
    EXPECT_EQ(toggles, 2);
    PillTesting::clickAt(*left, left->rect().center());
    EXPECT_EQ(stops, 1);
}

TEST(FloatingPill, TheRingPulsesOnlyWhileSpeechIsHeardDuringARecording)
{
    FloatingPillView pill;
    pill.resize(FloatingPillView::recordingSize);
    PillTesting::showWithoutFocus(pill);
    auto* record = part<QEL::RecordButton>(pill, "recordButton");
    PillState speaking = recording();
    speaking.isSpeechDetected = true;
    pill.setState(speaking);
    EXPECT_TRUE(record->showsRing());
    EXPECT_TRUE(TestSupport::waitUntil([&] { return pill.pulseScale() > 1.3; }));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return pill.pulseScale() < 1.1; })); // and back
    EXPECT_LE(pill.pulseScale(), 1.4);

    // Speech ends: the ring goes, and the next one starts from 1.
    PillState quiet = recording();
    pill.setState(quiet);
    EXPECT_FALSE(record->showsRing());
    EXPECT_EQ(pill.pulseScale(), 1);
    // Speech detected while idle shows no ring.
    PillState idleSpeech = idle();
    idleSpeech.isSpeechDetected = true;
    pill.setState(idleSpeech);
    EXPECT_FALSE(record->showsRing());
    EXPECT_EQ(pill.pulseScale(), 1);
}

TEST(FloatingPill, NoTimerRunsWhileThePillIsHiddenOrAtRest)
{
    PillTesting::timerEventsDuring(50ms); // the animations of earlier tests in this process wind down
    FloatingPillView pill;
    pill.resize(FloatingPillView::recordingSize);
    // Hidden: a recording with speech and changing levels moves nothing.
    PillState speaking = recording();
    speaking.isSpeechDetected = true;
    pill.setState(speaking);
    for (float level : {0.2f, 0.9f, 0.4f}) {
        speaking.audioLevel = level;
        pill.setState(speaking);
    }
    EXPECT_EQ(PillTesting::timerEventsDuring(300ms), 0);
    EXPECT_EQ(part<LiveWaveformView>(pill, "meter")->barRect(6).height(), LiveWaveformView::barHeight(6, 0.4f, true));

    // Shown, the pulse and a new level animate...
    PillTesting::showWithoutFocus(pill);
    speaking.audioLevel = 0.7f;
    pill.setState(speaking);
    EXPECT_GT(PillTesting::timerEventsDuring(300ms), 0);
    // ...and hiding stops them: the animation clock stops at its next tick.
    pill.hide();
    PillTesting::timerEventsDuring(50ms);
    EXPECT_EQ(PillTesting::timerEventsDuring(300ms), 0);

    // Shown and idle, nothing runs once the spring has settled.
    pill.setState(idle());
    PillTesting::showWithoutFocus(pill);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return pill.pillRect().size() == QSizeF(240, 48); }));
    EXPECT_EQ(PillTesting::timerEventsDuring(300ms), 0);
}
