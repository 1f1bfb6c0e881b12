#include "tools/ModelFolder/WhisperFolders.h"

#include "Platform/CoreML/Kinds/WhisperFolderModel.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/ML/Whisper/WhisperDecoder.h"
#include "Platform/ML/Whisper/WhisperTensors.h"
#include "QelCore/Decoding/WhisperTokens.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "tools/ModelFolder/ModelFolderBuilder.h"

#include <stdexcept>

namespace QelTools {
namespace {

using namespace Platform::CoreML;
using Platform::ML::WhisperModel;
using enum MLMultiArrayDataType;

MLFeatureDescription array(std::string name, MLMultiArrayDataType type, std::vector<std::int64_t> shape)
{
    return {std::move(name), MLFeatureType::multiArray, MLMultiArrayConstraint{std::move(shape), type}};
}

std::span<const std::byte> bytesOf(const float* values, std::size_t count)
{
    return {reinterpret_cast<const std::byte*>(values), count * sizeof(float)};
}

// A folder of `kind` whose description carries the model's hyper-parameters.
ModelFolderBuilder folderOf(const WhisperModel& model, const char* kind)
{
    ModelManifest manifest;
    manifest.kind = kind;
    writeWhisperHyperParameters(model.hparams, manifest.hyperParameters);
    return ModelFolderBuilder(std::move(manifest));
}

// The tensors of one stack ("encoder" or "decoder"), matrices in `matrixType`.
void addTensors(ModelFolderBuilder& folder, WhisperModel& model, std::string_view stack,
                MLMultiArrayDataType matrixType)
{
    std::vector<std::byte> converted;
    for (const auto& tensor : Platform::ML::whisperModelTensors(model)) {
        if (!tensor.name.starts_with(stack))
            continue;
        const auto count = static_cast<std::size_t>(tensor.rows() * tensor.columns());
        if (tensor.vector) {
            folder.addWeight(tensor.name, float32, tensor.shape, bytesOf(*tensor.vector, count));
            continue;
        }
        const auto& matrix = *tensor.matrix;
        if (matrix.isHalf() == (matrixType == float16)) {
            folder.addWeight(tensor.name, matrixType, tensor.shape,
                             {static_cast<const std::byte*>(matrix.data), count * elementSize(matrixType)});
            continue;
        }
        converted.resize(count * elementSize(matrixType));
        if (matrix.isHalf())
            matrix.widenRows(0, matrix.rows, reinterpret_cast<float*>(converted.data()));
        else
            Platform::ML::narrowToHalfFloats(matrix.floatRow(0), count, converted.data());
        folder.addWeight(tensor.name, matrixType, tensor.shape, converted);
    }
}

void writeMelSpectrogram(const WhisperModel& model, const std::filesystem::path& path)
{
    const auto& hp = model.hparams;
    auto folder = folderOf(model, "MelSpectrogram");
    folder.manifest().inputs = {array("audio", float32, {model.windowSamples()})};
    folder.manifest().outputs = {array("melspectrogram_features", float16, {1, hp.nMels, 1, model.melFrames()})};
    folder.addWeight("mel_filters", float32, {hp.nMels, Platform::ML::kMelFftBins},
                     bytesOf(model.melFilters.data(), model.melFilters.size()));
    folder.write(path);
}

void writeAudioEncoder(WhisperModel& model, const std::filesystem::path& path, const WhisperFolderOptions& options)
{
    const auto& hp = model.hparams;
    auto folder = folderOf(model, "AudioEncoder");
    folder.manifest().inputs = {array("melspectrogram_features", float16, {1, hp.nMels, 1, model.melFrames()})};
    folder.manifest().outputs = {array("encoder_output_embeds", float16, {1, hp.nAudioState, 1, hp.nAudioCtx})};
    addTensors(folder, model, "encoder", options.matrixType);
    folder.write(path);
}

std::vector<AlignmentHead> upperHalfHeads(const Platform::ML::WhisperHyperParameters& hp)
{
    std::vector<AlignmentHead> heads;
    for (int layer = hp.nTextLayer / 2; layer < hp.nTextLayer; ++layer)
        for (int head = 0; head < hp.nTextHead; ++head)
            heads.push_back({layer, head});
    return heads;
}

void writeTextDecoder(WhisperModel& model, const std::filesystem::path& path, const WhisperFolderOptions& options)
{
    const auto& hp = model.hparams;
    const std::int64_t embed = static_cast<std::int64_t>(hp.nTextLayer) * hp.nTextState;
    const std::int64_t cache = kDecoderCachePositions;
    auto folder = folderOf(model, "TextDecoder");
    auto& manifest = folder.manifest();
    manifest.inputs = {array("input_ids", int32, {1}),
                       array("cache_length", int32, {1}),
                       array("key_cache", float16, {1, embed, 1, cache}),
                       array("value_cache", float16, {1, embed, 1, cache}),
                       array("kv_cache_update_mask", int32, {1, cache}),
                       array("encoder_output_embeds", float16, {1, hp.nAudioState, 1, hp.nAudioCtx}),
                       array("decoder_key_padding_mask", float16, {1, cache})};
    manifest.outputs = {array("logits", float16, {1, 1, hp.nVocab}),
                        array("key_cache_updates", float16, {1, embed, 1, 1}),
                        array("value_cache_updates", float16, {1, embed, 1, 1})};
    manifest.alignmentHeads = options.alignmentHeads.value_or(upperHalfHeads(hp));
    if (!manifest.alignmentHeads.empty())
        manifest.outputs.push_back(array("alignment_heads_weights", float16, {1, hp.nAudioCtx}));
    addTensors(folder, model, "decoder", options.matrixType);
    folder.write(path);
}

// Every start sequence decoded once against silence, as the decoder folder
// would decode it: [task][language][layer · width][position], in halves.
void writeContextPrefill(WhisperModel& model, const std::filesystem::path& path)
{
    const auto& hp = model.hparams;
    const auto special = QelCore::SpecialTokens::forVocabularySize(hp.nVocab);
    const int tasks = special.multilingual() ? 2 : 1;
    const int languages = special.multilingual() ? special.languageCount : 1;
    const int positions = special.multilingual() ? 3 : 1;
    const long embed = static_cast<long>(hp.nTextLayer) * hp.nTextState;
    const long entry = embed * positions;

    Platform::ML::WhisperDecoder decoder(model);
    Platform::ML::CrossAttentionCache silence;
    decoder.computeCrossAttention(std::vector<float>(static_cast<size_t>(hp.nAudioCtx) * hp.nAudioState).data(),
                                  silence);
    std::vector<float> newKeys(static_cast<size_t>(entry)), newValues(newKeys.size());
    std::vector<float> keys(static_cast<size_t>(tasks * languages * entry)), values(keys.size());
    const auto none =
        Platform::ML::KeyValueCacheView::positionMajor(static_cast<const float*>(nullptr), nullptr, 0, hp.nTextState);
    for (int task = 0; task < tasks; ++task)
        for (int language = 0; language < languages; ++language) {
            std::vector<int> sequence{special.startOfTranscript};
            if (special.multilingual())
                sequence.insert(sequence.end(), {special.firstLanguage + language,
                                                 task == 0 ? special.transcribe : special.translate});
            decoder.decode(sequence, 0, none, silence, newKeys.data(), newValues.data(), nullptr);
            // From [layer][position][width] to [layer · width][position].
            const long at = (static_cast<long>(task) * languages + language) * entry;
            for (long l = 0; l < hp.nTextLayer; ++l)
                for (long p = 0; p < positions; ++p)
                    for (long d = 0; d < hp.nTextState; ++d) {
                        const long from = (l * positions + p) * hp.nTextState + d;
                        const long to = at + (l * hp.nTextState + d) * positions + p;
                        keys[static_cast<size_t>(to)] = newKeys[static_cast<size_t>(from)];
                        values[static_cast<size_t>(to)] = newValues[static_cast<size_t>(from)];
                    }
        }

    auto folder = folderOf(model, "TextDecoderContextPrefill");
    auto& manifest = folder.manifest();
    manifest.hyperParameters.AddMember("firstLanguageToken", special.firstLanguage,
                                       manifest.hyperParameters.GetAllocator());
    manifest.inputs = {array("task", int32, {1}), array("language", int32, {1})};
    manifest.outputs = {array("key_cache_prefill", float16, {1, embed, 1, positions}),
                        array("value_cache_prefill", float16, {1, embed, 1, positions})};
    std::vector<std::byte> halves(keys.size() * 2);
    for (const auto& [name, table] : {std::pair{"key_cache_prefill", &keys}, std::pair{"value_cache_prefill", &values}}) {
        Platform::ML::narrowToHalfFloats(table->data(), table->size(), halves.data());
        folder.addWeight(name, float16, {tasks, languages, embed, positions}, halves);
    }
    folder.write(path);
}

void writeFolders(WhisperModel& model, const std::filesystem::path& folder, const WhisperFolderOptions& options)
{
    if (options.matrixType != float16 && options.matrixType != float32)
        throw std::invalid_argument("Matrices can be stored as float16 or float32 only");
    if (model.hparams.nTextCtx < kDecoderCachePositions)
        throw std::invalid_argument("The model's text context of " + std::to_string(model.hparams.nTextCtx)
                                    + " tokens is shorter than the decoder's cache of "
                                    + std::to_string(kDecoderCachePositions));
    if (model.hparams.nAudioState != model.hparams.nTextState)
        throw std::invalid_argument("The model's encoder and decoder differ in width");
    for (const auto& head : options.alignmentHeads.value_or(std::vector<AlignmentHead>{}))
        if (head.layer < 0 || head.layer >= model.hparams.nTextLayer || head.head < 0
            || head.head >= model.hparams.nTextHead)
            throw std::invalid_argument("Alignment head " + std::to_string(head.layer) + ":"
                                        + std::to_string(head.head) + " is not a head of the model's decoder");
    std::filesystem::create_directories(folder);
    writeMelSpectrogram(model, folder / kMelSpectrogramFolder);
    writeAudioEncoder(model, folder / kAudioEncoderFolder, options);
    writeTextDecoder(model, folder / kTextDecoderFolder, options);
    if (options.contextPrefill)
        writeContextPrefill(model, folder / kContextPrefillFolder);
}

} // namespace

void convertWhisperModel(const std::filesystem::path& ggml, const std::filesystem::path& folder,
                         const WhisperFolderOptions& options)
{
    auto model = QelCore::loadGgmlWhisperModel(ggml);
    writeFolders(model, folder, options);
}

void writeRandomModelFolders(const std::filesystem::path& folder, const RandomModelOptions& options,
                             const WhisperFolderOptions& conversion)
{
    auto model = QelCore::parseGgmlWhisperModel(randomGgmlModel(options));
    writeFolders(model, folder, conversion);
}

} // namespace QelTools
