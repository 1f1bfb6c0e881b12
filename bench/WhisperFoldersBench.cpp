// The model folders that the tiny- and base-sized random models convert into,
// set beside the engine library's own runs of the same files: the mel, the
// encoder, a decoding step with the caller's copy of its key and value into
// its cache of halves, and loading with its memory.
#include "bench/BenchModels.h"
#include "bench/DecoderRun.h"
#include "bench/PeakMemory.h"

#include "Platform/CoreML/MLModel.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Whisper/MelSpectrogram.h"
#include "QelCore/Decoding/WhisperTokens.h"
#include "tools/ModelFolder/FolderDecoding.h"
#include "tools/ModelFolder/WhisperFolders.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <unistd.h>

namespace QelBench {
namespace {

using namespace Platform::CoreML;
using Platform::ML::setComputeThreads;
using QelTools::outputArray;
using QelTools::predictArray;

constexpr int kTokens = 64;

std::shared_ptr<const MLModel> load(ModelSize size, std::string_view name)
{
    return MLModel::load(benchFolders(size, MLMultiArrayDataType::float16) / name);
}

// One window's first 64 tokens (start sequence, then ordinary tokens)
// through the decoder folder as the engine runs them: the masks as a new
// window starts, then one prediction per token, each followed by the copy of
// its key and value into the caller's cache.
class FolderRun {
public:
    FolderRun(std::shared_ptr<const MLModel> decoder, MLMultiArray audio)
        : decoder_(std::move(decoder)), decoding_(*decoder_, audio), audio_(std::move(audio))
    {
        const auto vocabulary =
            decoder_->modelDescription().outputDescriptionsByName.at("logits").multiArrayConstraint->shape[2];
        const auto special = QelCore::SpecialTokens::forVocabularySize(static_cast<int>(vocabulary));
        tokens_ = {special.startOfTranscript, special.firstLanguage, special.transcribe, special.noTimestamps};
        for (int i = 0; tokens_.size() < kWindowTokens; ++i)
            tokens_.push_back(1000 + 37 * i);
    }

    // The encoder output written again, as by the next window's encoder: the
    // next step computes its cross-attention afresh.
    void newWindow() { benchmark::DoNotOptimize(audio_.mutableBytes()); }

    void run(int steps)
    {
        decoding_.restart();
        for (int position = 0; position < steps; ++position) {
            const auto outputs = decoding_.step(tokens_[static_cast<std::size_t>(position)], position);
            benchmark::DoNotOptimize(outputArray(*outputs, "logits").bytes());
        }
    }

private:
    std::shared_ptr<const MLModel> decoder_;
    QelTools::FolderDecoding decoding_;
    MLMultiArray audio_; // shares its elements with the decoding's
    std::vector<int> tokens_;
};

// The decoder folder of `size` over the bench audio's window, encoded through
// the mel and encoder folders.
FolderRun benchWindow(ModelSize size)
{
    const auto mel = load(size, QelTools::kMelSpectrogramFolder);
    const auto encoder = load(size, QelTools::kAudioEncoderFolder);
    const auto features = predictArray(*mel, "audio", audioWindow(*mel), "melspectrogram_features");
    return FolderRun(load(size, QelTools::kTextDecoderFolder),
                     predictArray(*encoder, "melspectrogram_features", features, "encoder_output_embeds"));
}

// The mel of one 30 s window through the bare kernel, and through the folder.
void BM_MelWindow(benchmark::State& state)
{
    const auto& model = benchModel(sizeArgument(state));
    setComputeThreads(threadsArgument(state));
    const auto audio = benchAudio();
    Platform::ML::MelSpectrogram mel(model.melFilters.data(), model.hparams.nMels, model.windowSamples());
    std::vector<float> out(static_cast<size_t>(model.hparams.nMels) * mel.frames());
    for (auto _ : state) {
        mel.compute(audio.data(), static_cast<long>(audio.size()), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    setComputeThreads(0);
}

void BM_FolderMel(benchmark::State& state)
{
    const auto mel = load(sizeArgument(state), QelTools::kMelSpectrogramFolder);
    setComputeThreads(threadsArgument(state));
    const auto window = audioWindow(*mel);
    for (auto _ : state)
        benchmark::DoNotOptimize(predictArray(*mel, "audio", window, "melspectrogram_features").bytes());
    setComputeThreads(0);
}

// The encoder through the folder, beside BM_EncoderWindow's bare kernel.
void BM_FolderEncoder(benchmark::State& state)
{
    const auto size = sizeArgument(state);
    const auto mel = load(size, QelTools::kMelSpectrogramFolder);
    const auto encoder = load(size, QelTools::kAudioEncoderFolder);
    setComputeThreads(threadsArgument(state));
    const auto features = predictArray(*mel, "audio", audioWindow(*mel), "melspectrogram_features");
    for (auto _ : state)
        benchmark::DoNotOptimize(
            predictArray(*encoder, "melspectrogram_features", features, "encoder_output_embeds").bytes());
    state.counters["GFLOPS"] =
        benchmark::Counter(encoderFlops(benchModel(size).hparams) * static_cast<double>(state.iterations()) / 1e9,
                           benchmark::Counter::kIsRate);
    setComputeThreads(0);
}

// One window's first 64 tokens through the decoder folder, beside
// BM_DecodedToken's engine library: each step a prediction and the caller's
// copy of its key and value.
void BM_FolderDecodedToken(benchmark::State& state)
{
    setComputeThreads(threadsArgument(state));
    auto decoding = benchWindow(sizeArgument(state));
    decoding.run(kTokens); // the window's cross-attention, and memory touched once
    for (auto _ : state)
        decoding.run(kTokens);
    countTokens(state, kTokens);
    setComputeThreads(0);
}

// A whole window through the decoder folder, beside BM_DecodedWindow: the
// cross-attention of a newly written encoder output, then 224 tokens.
void BM_FolderDecodedWindow(benchmark::State& state)
{
    setComputeThreads(threadsArgument(state));
    auto decoding = benchWindow(sizeArgument(state));
    const auto window = [&] {
        decoding.newWindow();
        decoding.run(kWindowTokens);
    };
    window();
    for (auto _ : state)
        window();
    countTokens(state, kWindowTokens);
    setComputeThreads(0);
}

// BM_FolderDecodedWindow beside BM_DecodedWindow in one run: each iteration
// decodes a whole window through the folder, then through the engine library,
// so a neighbour that slows the machine for a while slows both. The best time
// of each is kept; "ratio" is the folder's over the library's.
void BM_FolderWindowAgainstLibrary(benchmark::State& state)
{
    const auto size = sizeArgument(state);
    setComputeThreads(threadsArgument(state));
    auto folder = benchWindow(size);
    DecoderRun library(benchModel(size));
    const auto timed = [](const auto& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const auto folderWindow = [&] {
        folder.newWindow();
        folder.run(kWindowTokens);
    };
    const auto libraryWindow = [&] {
        library.newWindow();
        for (int position = 0; position < kWindowTokens; ++position)
            library.decode(position, 1);
    };
    folderWindow();
    libraryWindow();
    double folderSeconds = 1e9, librarySeconds = 1e9;
    for (auto _ : state) {
        folderSeconds = std::min(folderSeconds, timed(folderWindow));
        librarySeconds = std::min(librarySeconds, timed(libraryWindow));
    }
    state.counters["folder_ms"] = folderSeconds * 1e3;
    state.counters["library_ms"] = librarySeconds * 1e3;
    state.counters["ratio"] = folderSeconds / librarySeconds;
    setComputeThreads(0);
}

// Loading the mel, encoder and decoder folders from the page cache, with
// matrices in halves (0) or floats (1); and the peak memory of a fresh
// process that loads them and runs one window with 16 tokens, beside
// BM_ModelLoad's figures for the model file.
void BM_FolderSetLoad(benchmark::State& state)
{
    const auto type = state.range(1) ? MLMultiArrayDataType::float32 : MLMultiArrayDataType::float16;
    const auto& folders = benchFolders(sizeArgument(state), type);
    for (auto _ : state) {
        for (auto name : {QelTools::kMelSpectrogramFolder, QelTools::kAudioEncoderFolder, QelTools::kTextDecoderFolder})
            benchmark::DoNotOptimize(MLModel::load(folders / name).get());
    }
    state.counters["peak_MiB"] = peakMemoryMiB(kFoldersWindowFlag, folders);
}

BENCHMARK(BM_MelWindow)->Apply(sizesAndThreads);
BENCHMARK(BM_FolderMel)->Apply(sizesAndThreads);
BENCHMARK(BM_FolderEncoder)->Apply(sizesAndThreads);
BENCHMARK(BM_FolderDecodedToken)->Apply(sizesAndThreads);
BENCHMARK(BM_FolderDecodedWindow)->Apply(sizesAndThreads);
BENCHMARK(BM_FolderWindowAgainstLibrary)
    ->ArgsProduct({{static_cast<int>(ModelSize::Tiny), static_cast<int>(ModelSize::Base)}, {1, 4}})
    ->ArgNames({"base", "threads"})
    ->Iterations(6)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderSetLoad)
    ->ArgsProduct({{static_cast<int>(ModelSize::Tiny), static_cast<int>(ModelSize::Base)}, {0, 1}})
    ->ArgNames({"base", "floats"})
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

const std::filesystem::path& benchFolders(ModelSize size, MLMultiArrayDataType type)
{
    static std::mutex mutex;
    static struct Folders {
        std::map<std::pair<ModelSize, MLMultiArrayDataType>, std::filesystem::path> paths;
        ~Folders()
        {
            for (const auto& entry : paths)
                std::filesystem::remove_all(entry.second);
        }
    } folders;
    std::lock_guard lock(mutex);
    auto found = folders.paths.find({size, type});
    if (found == folders.paths.end()) {
        const auto path = std::filesystem::temp_directory_path() /
                          ("qel-bench-" + std::to_string(getpid()) + "-" + modelSizeName(size) + "-" +
                           std::string(multiArrayDataTypeNames.name(type)) + ".folders");
        QelTools::convertWhisperModel(benchModelFile(size), path, {.matrixType = type});
        found = folders.paths.emplace(std::pair{size, type}, path).first;
    }
    return found->second;
}

MLMultiArray audioWindow(const MLModel& mel)
{
    MLMultiArray window(mel.modelDescription().inputDescriptionsByName.at("audio").multiArrayConstraint->shape,
                        MLMultiArrayDataType::float32);
    const auto audio = benchAudio();
    std::copy_n(audio.begin(), std::min<std::size_t>(audio.size(), static_cast<std::size_t>(window.count())),
                window.mutableValues<float>().begin());
    return window;
}

int runFoldersWindow(const std::filesystem::path& folders)
{
    const auto mel = MLModel::load(folders / QelTools::kMelSpectrogramFolder);
    const auto encoder = MLModel::load(folders / QelTools::kAudioEncoderFolder);
    const auto decoder = MLModel::load(folders / QelTools::kTextDecoderFolder);
    const auto features = predictArray(*mel, "audio", audioWindow(*mel), "melspectrogram_features");
    FolderRun(decoder, predictArray(*encoder, "melspectrogram_features", features, "encoder_output_embeds")).run(16);
    std::printf("%ld\n", processStatusKiB("VmHWM:"));
    return 0;
}

} // namespace QelBench
