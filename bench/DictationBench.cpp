// Dictation as the application runs it, with random models of the tiny and
// base shapes on the engine library. These need an X display and run in the
// headless desktop: .ci/desktop.sh build/release/bench/qel-bench
// --benchmark_filter='EndPoint|Idle|Resident'.
//
//  - BM_EndPointToTextInField: from the frame that ends an utterance to its
//    text in a focused text field of another process, through the streaming
//    pipeline, the text processor and the desktop's inserter (0: typed, 1:
//    pasted); the engine's own time and the rest are counted apart.
//  - BM_IdleProcessorUse and BM_ResidentMemory: the qel program itself,
//    started with a model and left idle (not recording).

#include "bench/BenchModels.h"
#include "bench/PeakMemory.h"

#include "App/Audio/StreamingPipeline.h"
#include "App/Insertion/KeystrokeInserter.h"
#include "App/Insertion/PasteInserter.h"
#include "App/Processing/TextProcessor.h"
#include "App/STT/QelCoreEngine.h"
#include "App/VAD/EnergyVAD.h"
#include "Support/TestEnvironment.h"
#include "Support/TextField.h"
#include "Support/Waiting.h"

#include <QGuiApplication>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace QelBench;
using Clock = std::chrono::steady_clock;

bool hasDisplay(benchmark::State& state)
{
    if (std::getenv("DISPLAY"))
        return true;
    state.SkipWithError("needs an X display: run it in .ci/desktop.sh");
    return false;
}

// The clipboard's owner for pastes; lives until the end.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "qel-bench";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QGuiApplication(argc, argv);
}

// A model cache of its own (XDG_DATA_HOME) holding the bench model of `size`
// as "ggml-bench.bin"; the model name that selects it.
std::string installBenchModel(ModelSize size, const std::filesystem::path& dataHome)
{
    const auto folder = dataHome / "com.tolvek.qel" / "models";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(benchModelFile(size), folder / "ggml-bench.bin",
                               std::filesystem::copy_options::overwrite_existing);
    return "ggml-bench.bin";
}

void BM_EndPointToTextInField(benchmark::State& state)
{
    if (!hasDisplay(state))
        return;
    ensureApplication();
    const ModelSize size = sizeArgument(state);
    const bool paste = state.range(1) == 1;
    const TestSupport::TemporaryFolder dataHome;
    setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);

    auto engine = std::make_shared<QEL::QelCoreEngine>();
    engine->languageHint = "en";
    engine->load(installBenchModel(size, dataHome.path()));
    std::shared_ptr<QEL::TextInserting> inserter;
    if (paste)
        inserter = std::make_shared<QEL::PasteInserter>();
    else
        inserter = std::make_shared<QEL::KeystrokeInserter>();
    QEL::StreamingPipeline pipeline(
        std::make_unique<QEL::EnergyVAD>(0.015f, 400), engine,
        std::make_unique<QEL::TextProcessor>(QEL::FillerRemover(), std::nullopt,
                                             QEL::SmartFormatter(QEL::InverseTextNormalizer())),
        inserter);
    std::mutex mutex;
    double engineSeconds = 0;
    std::string inserted;
    pipeline.onTranscript = [&](const QEL::ProcessedResult& result) {
        std::lock_guard lock(mutex);
        engineSeconds = result.processingTime;
        // A text field takes no control characters.
        inserted.clear();
        for (const char character : result.text)
            if (static_cast<unsigned char>(character) >= 0x20 && character != 0x7f)
                inserted += character;
    };

    TestSupport::ForeignTextField field;

    // 1.5 s of speech-like sound, then quiet frames until one ends it.
    const std::vector<float> audio = benchAudio();
    const std::vector<float> quiet(1600, 0.0f);
    double engineTotal = 0;
    double otherTotal = 0;
    double characters = 0;
    pipeline.start();
    for (auto _ : state) {
        field.clear();
        for (size_t start = 0; start < 15 * 1600; start += 1600)
            pipeline.processAudioBuffer(std::vector<float>(audio.begin() + start, audio.begin() + start + 1600));
        Clock::time_point endPoint;
        while (!pipeline.isTranscribing()) {
            endPoint = Clock::now();
            pipeline.processAudioBuffer(quiet);
        }
        if (!TestSupport::waitUntil([&] {
                std::lock_guard lock(mutex);
                return !pipeline.isTranscribing() && !inserted.empty() && field.text() == inserted;
            })) {
            state.SkipWithError("no text reached the field");
            break;
        }
        const double total = std::chrono::duration<double>(Clock::now() - endPoint).count();
        state.SetIterationTime(total);
        std::lock_guard lock(mutex);
        engineTotal += engineSeconds;
        otherTotal += total - engineSeconds;
        characters += static_cast<double>(inserted.size());
        inserted.clear();
    }
    pipeline.stop();
    pipeline.waitUntilIdle(std::chrono::seconds(60));
    const double iterations = static_cast<double>(state.iterations());
    state.counters["engine_ms"] = 1000 * engineTotal / iterations;
    state.counters["other_ms"] = 1000 * otherTotal / iterations;
    state.counters["characters"] = characters / iterations;
}
BENCHMARK(BM_EndPointToTextInField)
    ->ArgsProduct({{static_cast<int>(ModelSize::Tiny), static_cast<int>(ModelSize::Base)}, {0, 1}})
    ->ArgNames({"base", "paste"})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The qel program with the bench model of `size`, idle once its load has ended.
class IdleApplication {
public:
    explicit IdleApplication(ModelSize size)
    {
        const auto runtime = home_.path() / "run";
        std::filesystem::create_directories(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        const std::string model = installBenchModel(size, home_.path() / "data");
        std::filesystem::create_directories(home_.path() / "config" / "tolvek");
        std::ofstream(home_.path() / "config" / "tolvek" / "QEL.json") << "{\"selectedModel\":\"" << model << "\"}";

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", QString::fromStdString((home_.path() / "data").string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString((home_.path() / "config").string()));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QEL_EXECUTABLE, {});
        const auto log = runtime / "qel_debug.log";
        loaded_ =
            process_.waitForStarted() && TestSupport::waitUntil([&] {
                return TestSupport::fileContents(log).find("Engine load done. isModelLoaded=true") != std::string::npos;
            });
    }
    ~IdleApplication()
    {
        process_.terminate();
        process_.waitForFinished();
    }

    bool loaded() const { return loaded_; }

    // Processor time the program has used, user and system, in seconds.
    double processorSeconds() const
    {
        const std::string text = TestSupport::fileContents("/proc/" + std::to_string(process_.processId()) + "/stat");
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long user = 0;
        long system = 0;
        for (int index = 3; index <= 15 && fields >> field; ++index) {
            if (index == 14)
                user = std::stol(field);
            if (index == 15)
                system = std::stol(field);
        }
        return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    double residentMiB() const
    {
        return static_cast<double>(processStatusKiB("VmRSS:", std::to_string(process_.processId()))) / 1024.0;
    }

private:
    TestSupport::TemporaryFolder home_;
    QProcess process_;
    bool loaded_ = false;
};

void BM_IdleProcessorUse(benchmark::State& state)
{
    if (!hasDisplay(state))
        return;
    ensureApplication();
    IdleApplication application(ModelSize::Tiny);
    if (!application.loaded()) {
        state.SkipWithError("qel did not load the model");
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    double percent = 0;
    for (auto _ : state) {
        const double before = application.processorSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        percent = 100 * (application.processorSeconds() - before) / 10;
        state.SetIterationTime(10);
    }
    state.counters["cpu_percent"] = percent;
}
BENCHMARK(BM_IdleProcessorUse)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_ResidentMemory(benchmark::State& state)
{
    if (!hasDisplay(state))
        return;
    ensureApplication();
    const ModelSize size = sizeArgument(state);
    for (auto _ : state) {
        IdleApplication application(size);
        if (!application.loaded()) {
            state.SkipWithError("qel did not load the model");
            return;
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
        state.counters["resident_MiB"] = application.residentMiB();
        state.counters["model_file_MiB"] = std::filesystem::file_size(benchModelFile(size)) / (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_ResidentMemory)
    ->Arg(static_cast<int>(ModelSize::Base))
    ->ArgName("base")
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
