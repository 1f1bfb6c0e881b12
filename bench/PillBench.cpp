// Redrawing the overlay's pill: what one new input level costs (the level
// meter's region, with the panel behind it, painted and handed to the window
// system), beside a redraw of the whole recording pill. Qt draws offscreen.
// Run it on its own (--benchmark_filter=Pill): the widgets need a
// QApplication, which other benchmarks in the same run may have made a plain
// QCoreApplication or QGuiApplication.
#include "App/Views/Overlay/FloatingPillView.h"
#include "App/Views/Overlay/LiveWaveformView.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace QelBench {
namespace {

// The pill, recording while speech is heard, shown offscreen; none when this
// process already has an application of another kind.
QEL::FloatingPillView* recordingPill(benchmark::State& state)
{
    if (!QCoreApplication::instance()) {
        static int argc = 3;
        static char name[] = "qel-bench", platform[] = "-platform", offscreen[] = "offscreen";
        static char* argv[] = {name, platform, offscreen, nullptr};
        new QApplication(argc, argv);
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        state.SkipWithError("the pill needs a QApplication: run these benchmarks on their own");
        return nullptr;
    }
    static QEL::FloatingPillView* pill = [] {
        auto* view = new QEL::FloatingPillView;
        view->resize(QEL::FloatingPillView::recordingSize);
        view->setState({.isRecording = true,
                        .isSpeechDetected = true,
                        .isModelLoaded = true,
                        .currentTranscript = "Send the quarterly report to Dana by Friday.",
                        .lastLatencyMs = 312});
        view->show();
        QApplication::processEvents();
        return view;
    }();
    return pill;
}

void BM_PillLevelUpdate(benchmark::State& state)
{
    QEL::FloatingPillView* pill = recordingPill(state);
    if (!pill)
        return;
    auto* meter = pill->findChild<QEL::LiveWaveformView*>("meter");
    QEL::PillState shown = pill->state();
    int step = 0;
    for (auto _ : state) {
        shown.audioLevel = float(++step % 100) / 100;
        pill->setState(shown);
        meter->repaint();
    }
    QApplication::processEvents();
}
BENCHMARK(BM_PillLevelUpdate)->Unit(benchmark::kMicrosecond);

void BM_PillWholeRedraw(benchmark::State& state)
{
    QEL::FloatingPillView* pill = recordingPill(state);
    if (!pill)
        return;
    for (auto _ : state)
        pill->repaint();
    QApplication::processEvents();
}
BENCHMARK(BM_PillWholeRedraw)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace QelBench
