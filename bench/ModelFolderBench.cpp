// Loading a model folder of the base size (512 wide, 8 heads, 6 layers,
// 51865 tokens): the description is read and checked and the weights mapped,
// not read, so loading takes little time and little memory.
#include "bench/PeakMemory.h"

#include "Platform/CoreML/Kinds/ModelKinds.h"
#include "Platform/CoreML/Kinds/ScriptedDecoder.h"
#include "Platform/CoreML/MLModel.h"
#include "tools/ModelFolder/ModelFolderBuilder.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <unistd.h>

namespace QelBench {
namespace {

using namespace Platform::CoreML;

MLFeatureDescription array(std::string name, MLMultiArrayDataType type, std::vector<std::int64_t> shape)
{
    return {std::move(name), MLFeatureType::multiArray, MLMultiArrayConstraint{std::move(shape), type}};
}

// The benchmark's folder computes nothing real; its kind is made for tests.
const Platform::CoreML::ModelKindRegistration scriptedDecoderKind{"scripted-decoder",
                                                                  &Platform::CoreML::ScriptedDecoder::make};

// A text decoder of the base geometry whose weight index holds every tensor of
// a base model, matrices in 16-bit floats; written once per process.
class BaseFolder {
public:
    BaseFolder()
        : path_(std::filesystem::temp_directory_path() / ("qel-bench-" + std::to_string(getpid()) + "-base.mlmodelc"))
    {
        const QelTools::RandomModelOptions base{.vocab = 51865, .width = 512, .heads = 8, .layers = 6};
        const std::int64_t cache = 512 * 6, positions = 448, window = 1500;
        ModelManifest manifest;
        manifest.kind = "scripted-decoder";
        rapidjson::Value tokens(rapidjson::kArrayType);
        tokens.PushBack(50257, manifest.hyperParameters.GetAllocator());
        manifest.hyperParameters.AddMember("tokens", tokens, manifest.hyperParameters.GetAllocator());
        using enum MLMultiArrayDataType;
        manifest.inputs = {array("input_ids", int32, {1}),
                           array("cache_length", int32, {1}),
                           array("key_cache", float16, {1, cache, 1, positions}),
                           array("value_cache", float16, {1, cache, 1, positions}),
                           array("kv_cache_update_mask", float16, {1, positions}),
                           array("encoder_output_embeds", float16, {1, 512, 1, window}),
                           array("decoder_key_padding_mask", float16, {1, positions})};
        manifest.outputs = {array("logits", float16, {1, 1, base.vocab}),
                            array("key_cache_updates", float16, {1, cache, 1, 1}),
                            array("value_cache_updates", float16, {1, cache, 1, 1}),
                            array("alignment_heads_weights", float16, {1, window})};
        QelTools::ModelFolderBuilder builder(std::move(manifest));
        const std::vector<std::byte> zeros(static_cast<size_t>(base.vocab) * 512 * 4);
        for (const auto& tensor : QelTools::whisperTensors(base)) {
            const auto type = tensor.followsFtype ? float16 : float32;
            std::vector<std::int64_t> shape(tensor.extents.rbegin(), tensor.extents.rend());
            std::int64_t count = 1;
            for (std::int64_t extent : shape)
                count *= extent;
            builder.addWeight(tensor.name, type, shape,
                              std::span(zeros).first(static_cast<size_t>(count) * elementSize(type)));
        }
        builder.write(path_);
    }
    ~BaseFolder() { std::filesystem::remove_all(path_); }

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace

int runFolderLoad(const std::filesystem::path& folder)
{
    const long before = processStatusKiB("VmRSS:");
    const auto model = MLModel::load(folder);
    std::printf("%ld\n", processStatusKiB("VmRSS:") - before);
    return 0;
}

namespace {

// Load time from a folder in the page cache; what a load adds to the resident
// memory of a fresh process.
void BM_ModelFolderLoad(benchmark::State& state)
{
    static const BaseFolder folder;
    state.counters["resident_KiB"] = static_cast<double>(figureOfFreshProcess(kFolderLoadFlag, folder.path()));
    for (auto _ : state) {
        auto model = MLModel::load(folder.path());
        benchmark::DoNotOptimize(model.get());
    }
    state.counters["weights_MiB"] =
        static_cast<double>(std::filesystem::file_size(folder.path() / kModelWeightsFile)) / (1 << 20);
}

BENCHMARK(BM_ModelFolderLoad)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench
