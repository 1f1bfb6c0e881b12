#include "bench/BenchModels.h"

#include "Platform/Concurrency/ProcessorCount.h"
#include "Platform/ML/Whisper/MelSpectrogram.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <unistd.h>

namespace QelBench {
namespace {

struct ModelShape {
    int width;
    int heads;
    int layers;
};

ModelShape shapeOf(ModelSize size)
{
    return size == ModelSize::Tiny ? ModelShape{384, 6, 4} : ModelShape{512, 8, 6};
}

class ModelFiles {
public:
    ~ModelFiles()
    {
        for (const auto& [size, path] : files_)
            std::filesystem::remove(path);
    }

    const std::filesystem::path& file(ModelSize size)
    {
        std::lock_guard lock(mutex_);
        auto found = files_.find(size);
        if (found != files_.end())
            return found->second;
        const ModelShape shape = shapeOf(size);
        const QelTools::RandomModelOptions options{
            .seed = 7, .vocab = 51865, .ftype = 1, .width = shape.width, .heads = shape.heads, .layers = shape.layers};
        const auto path = std::filesystem::temp_directory_path() /
                          ("qel-bench-" + std::to_string(getpid()) + "-" + modelSizeName(size) + ".bin");
        QelTools::writeRandomGgmlModel(path, options);
        return files_.emplace(size, path).first->second;
    }

private:
    std::mutex mutex_;
    std::map<ModelSize, std::filesystem::path> files_;
};

ModelFiles& modelFiles()
{
    static ModelFiles files;
    return files;
}

} // namespace

const char* modelSizeName(ModelSize size)
{
    return size == ModelSize::Tiny ? "tiny" : "base";
}

const std::filesystem::path& benchModelFile(ModelSize size)
{
    return modelFiles().file(size);
}

const Platform::ML::WhisperModel& benchModel(ModelSize size)
{
    static std::mutex mutex;
    static std::map<ModelSize, Platform::ML::WhisperModel> models;
    std::lock_guard lock(mutex);
    auto found = models.find(size);
    if (found == models.end())
        found = models.emplace(size, QelCore::loadGgmlWhisperModel(benchModelFile(size))).first;
    return found->second;
}

std::vector<float> benchAudio()
{
    constexpr int kSamples = 30 * 16000;
    std::vector<float> samples(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        const double t = i / 16000.0;
        const double envelope = 0.5 + 0.5 * std::sin(2 * M_PI * 0.37 * t);
        samples[i] = static_cast<float>(
            0.3 * envelope * (std::sin(2 * M_PI * (300 * t + 40 * t * t)) + 0.5 * std::sin(2 * M_PI * 1234 * t)));
    }
    return samples;
}

std::vector<float> benchMel(const Platform::ML::WhisperModel& model)
{
    const auto audio = benchAudio();
    Platform::ML::MelSpectrogram mel(model.melFilters.data(), model.hparams.nMels, model.windowSamples());
    std::vector<float> out(static_cast<size_t>(model.hparams.nMels) * mel.frames());
    mel.compute(audio.data(), static_cast<long>(audio.size()), out.data());
    return out;
}

ModelSize sizeArgument(const benchmark::State& state)
{
    return static_cast<ModelSize>(state.range(0));
}

int threadsArgument(const benchmark::State& state)
{
    return static_cast<int>(state.range(1));
}

int allThreads()
{
    return Platform::processorCount();
}

void sizesAndThreads(benchmark::internal::Benchmark* b)
{
    for (auto size : {ModelSize::Tiny, ModelSize::Base})
        for (int threads : {1, 2, 4, allThreads()})
            b->Args({static_cast<int>(size), threads});
    b->ArgNames({"base", "threads"});
    b->UseRealTime();
    b->Unit(benchmark::kMillisecond);
}

void tinyAndBaseAtOneAndAllThreads(benchmark::internal::Benchmark* b)
{
    for (auto size : {ModelSize::Tiny, ModelSize::Base})
        for (int threads : {1, allThreads()})
            b->Args({static_cast<int>(size), threads});
    b->ArgNames({"base", "threads"});
    b->UseRealTime();
    b->Unit(benchmark::kMillisecond);
}

double decoderBytesPerStep(const Platform::ML::WhisperModel& model, int position)
{
    const auto bytes = [](const Platform::ML::WeightMatrix& matrix) {
        return static_cast<double>(matrix.rows) * matrix.columns * (matrix.isHalf() ? 2 : 4);
    };
    const auto& hp = model.hparams;
    double total = bytes(model.decoder.tokenEmbedding);
    for (const auto& block : model.decoder.blocks) {
        for (const auto* linear : {&block.attn.query, &block.attn.key, &block.attn.value, &block.attn.out,
                                   &block.crossAttn.query, &block.crossAttn.out, &block.mlp0, &block.mlp2})
            total += bytes(linear->weight);
    }
    // Cross-attention and cache keys and values are halves.
    const double keysAndValues = 2.0 * hp.nTextLayer * hp.nTextState * 2;
    return total + keysAndValues * (hp.nAudioCtx + position);
}

void countTokens(benchmark::State& state, int tokens)
{
    state.counters["per_token"] = benchmark::Counter(static_cast<double>(state.iterations()) * tokens,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

double encoderFlops(const Platform::ML::WhisperHyperParameters& hp)
{
    const double positions = hp.nAudioCtx;
    const double width = hp.nAudioState;
    const double conv1 = 2 * (2 * positions) * width * (3.0 * hp.nMels);
    const double conv2 = 2 * positions * width * (3 * width);
    const double projections = 4 * 2 * positions * width * width;
    const double mlp = 2 * 2 * positions * width * (4 * width);
    const double attention = 2 * 2 * positions * positions * width;
    return conv1 + conv2 + hp.nAudioLayer * (projections + mlp + attention);
}

} // namespace QelBench
