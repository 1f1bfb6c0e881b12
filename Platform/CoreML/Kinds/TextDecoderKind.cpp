#include "Platform/CoreML/Kinds/TextDecoderKind.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/CoreML/Folder/ModelFolder.h"
#include "Platform/CoreML/Kinds/KindFeatures.h"
#include "Platform/CoreML/Kinds/WhisperFolderModel.h"
#include "Platform/CoreML/MLModelError.h"
#include "Platform/Vector/FiniteSamples.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Ops/Transpose.h"
#include "Platform/ML/Tensor/Float16.h"

#include <algorithm>
#include <span>

namespace Platform::CoreML {

using namespace KindFeatures;
using Platform::ML::Float16;
using Platform::ML::KeyValueCacheView;

namespace {

// Encoder outputs whose cross-attention keys and values are kept: one per
// window decoded at once, which is rarely more than a few.
constexpr std::size_t kCachedEncoderOutputs = 4;
// Cache elements per piece of work when the cache is read.
constexpr long kGatherGrain = 1L << 14;

// The one position the update mask marks.
std::int64_t markedPosition(const MLMultiArray& mask)
{
    std::int64_t marked = -1, count = 0;
    for (std::int64_t i = 0; i < mask.count(); ++i)
        if (mask.number(i) != 0) {
            marked = i;
            ++count;
        }
    if (count != 1)
        throw MLModelError("kv_cache_update_mask marks " + std::to_string(count)
                           + " positions; it must mark exactly one");
    return marked;
}

// Positions [visible] of every channel of a [1, E, 1, S] cache of
// `Element`s, as `Out`s at the start of each row of out [E][S].
template <typename Element, typename Out>
void gatherPositions(const MLMultiArray& cache, std::span<const int> visible, Out* out)
{
    const long channels = cache.shape()[1], length = cache.shape()[3];
    const long count = static_cast<long>(visible.size());
    const auto* elements = reinterpret_cast<const Element*>(cache.bytes());
    const long grain = std::max(1L, kGatherGrain / std::max(1L, count));
    Platform::parallelFor(channels, grain, Platform::ML::computeThreads(), [&](long begin, long end) {
        for (long c = begin; c < end; ++c)
            for (long k = 0; k < count; ++k)
                out[c * length + k] = static_cast<Out>(elements[c * length + visible[static_cast<size_t>(k)]]);
    });
}

} // namespace

std::unique_ptr<ModelComputation> TextDecoderKind::make(std::shared_ptr<const ModelFolder> folder)
{
    std::unique_ptr<TextDecoderKind> kind(new TextDecoderKind(whisperModelOfFolder(folder, "decoder")));
    const auto& hp = kind->model_.hparams;
    const std::int64_t embed = static_cast<std::int64_t>(hp.nTextLayer) * hp.nTextState;
    const auto& inputs = folder->description().inputDescriptionsByName;
    const auto& outputs = folder->description().outputDescriptionsByName;
    requiredIntegers(inputs, "input_ids", "input", {1});
    requiredIntegers(inputs, "cache_length", "input", {1});
    const std::int64_t length = requiredFloats(inputs, "key_cache", "input", {1, embed, 1, 0}).shape[3];
    requiredFloats(inputs, "value_cache", "input", {1, embed, 1, length});
    requiredArray(inputs, "kv_cache_update_mask", "input", {1, length});
    requiredFloats(inputs, "decoder_key_padding_mask", "input", {1, length});
    requiredFloats(inputs, "encoder_output_embeds", "input", {1, hp.nAudioState, 1, hp.nAudioCtx});
    if (length > hp.nTextCtx)
        throw MLModelError("the key cache holds " + std::to_string(length) + " positions, more than the "
                           + std::to_string(hp.nTextCtx) + " of the text context");
    kind->sequenceLength_ = length;

    kind->logits_ = requiredFloats(outputs, "logits", "output", {1, 1, hp.nVocab});
    kind->keyUpdates_ = requiredFloats(outputs, "key_cache_updates", "output", {1, embed, 1, 1});
    kind->valueUpdates_ = requiredFloats(outputs, "value_cache_updates", "output", {1, embed, 1, 1});
    if (outputs.contains("alignment_heads_weights"))
        kind->alignment_ = requiredFloats(outputs, "alignment_heads_weights", "output", {1, hp.nAudioCtx});
    refuseOtherOutputs(outputs, {"logits", "key_cache_updates", "value_cache_updates", "alignment_heads_weights"},
                       "a text decoder");

    kind->heads_ = folder->alignmentHeads();
    for (const auto& head : kind->heads_)
        if (head.layer < 0 || head.layer >= hp.nTextLayer || head.head < 0 || head.head >= hp.nTextHead)
            throw MLModelError("alignment head (" + std::to_string(head.layer) + ", " + std::to_string(head.head)
                               + ") is not a head of the decoder's " + std::to_string(hp.nTextLayer) + " layers of "
                               + std::to_string(hp.nTextHead));
    if (kind->alignment_ && kind->heads_.empty())
        throw MLModelError("the output 'alignment_heads_weights' needs alignment heads, and the description lists none");
    return kind;
}

TextDecoderKind::TextDecoderKind(Platform::ML::WhisperModel model)
    : model_(std::move(model)),
      crossAttention_(kCachedEncoderOutputs),
      workspaces_([this] { return std::make_unique<Workspace>(model_, sequenceLength_, alignment_.has_value()); })
{
}

TextDecoderKind::Workspace::Workspace(const Platform::ML::WhisperModel& model, std::int64_t cachePositions,
                                      bool alignment)
    : decoder(model)
{
    const auto& hp = model.hparams;
    const auto embed = static_cast<std::size_t>(hp.nTextLayer) * hp.nTextState;
    const auto length = static_cast<std::size_t>(cachePositions);
    visible.reserve(length);
    newKeys.resize(embed);
    newValues.resize(embed);
    logits.resize(static_cast<std::size_t>(hp.nVocab));
    if (alignment) {
        crossWeights.resize(static_cast<std::size_t>(hp.nTextLayer) * hp.nTextHead * hp.nAudioCtx);
        this->alignment.resize(static_cast<std::size_t>(hp.nAudioCtx));
    }
}

std::shared_ptr<const CrossAttentionStore::Cache> TextDecoderKind::crossAttention(const MLMultiArray& audio,
                                                                                  Workspace& workspace) const
{
    return crossAttention_.find(audio, [&](CrossAttentionStore::Cache& cache) {
        const auto& hp = model_.hparams;
        workspace.audioByPosition.resize(static_cast<std::size_t>(audio.count()));
        Platform::ML::transpose(floatsOf(audio, workspace.audio), hp.nAudioState, hp.nAudioCtx,
                                workspace.audioByPosition.data());
        workspace.decoder.computeCrossAttention(workspace.audioByPosition.data(), cache);
    });
}

KeyValueCacheView TextDecoderKind::cacheView(const MLMultiArray& keys, const MLMultiArray& values, Workspace& w) const
{
    const int length = static_cast<int>(sequenceLength_), width = model_.hparams.nTextState;
    const int count = static_cast<int>(w.visible.size());
    const bool halves =
        keys.dataType() == MLMultiArrayDataType::float16 && values.dataType() == MLMultiArrayDataType::float16;
    const auto* halfKeys = reinterpret_cast<const Float16*>(keys.bytes());
    const auto* halfValues = reinterpret_cast<const Float16*>(values.bytes());
    // Positions 0 to count − 1, the usual case, are read where they lie.
    if (count == 0 || w.visible.back() == count - 1) {
        if (halves)
            return KeyValueCacheView::channelMajor(halfKeys, halfValues, length, width, count);
        if (keys.dataType() == values.dataType())
            return KeyValueCacheView::channelMajor(reinterpret_cast<const float*>(keys.bytes()),
                                                   reinterpret_cast<const float*>(values.bytes()), length, width,
                                                   count);
    }
    const auto size = static_cast<std::size_t>(keys.count());
    if (halves) {
        w.halfKeys.resize(size);
        w.halfValues.resize(size);
        gatherPositions<Float16>(keys, w.visible, w.halfKeys.data());
        gatherPositions<Float16>(values, w.visible, w.halfValues.data());
        return KeyValueCacheView::channelMajor(w.halfKeys.data(), w.halfValues.data(), length, width, count);
    }
    w.keys.resize(size);
    w.values.resize(size);
    for (const auto& [cache, out] : {std::pair{&keys, w.keys.data()}, std::pair{&values, w.values.data()}}) {
        if (cache->dataType() == MLMultiArrayDataType::float16)
            gatherPositions<Float16>(*cache, w.visible, out);
        else
            gatherPositions<float>(*cache, w.visible, out);
    }
    return KeyValueCacheView::channelMajor(w.keys.data(), w.values.data(), length, width, count);
}

void TextDecoderKind::averageAlignmentHeads(const Workspace& workspace, float* out) const
{
    const auto& hp = model_.hparams;
    const long window = hp.nAudioCtx;
    std::fill(out, out + window, 0.0f);
    for (const auto& head : heads_) {
        const float* weights = workspace.crossWeights.data() + (head.layer * hp.nTextHead + head.head) * window;
        for (long i = 0; i < window; ++i)
            out[i] += weights[i];
    }
    const float scale = 1.0f / static_cast<float>(heads_.size());
    for (long i = 0; i < window; ++i)
        out[i] *= scale;
}

std::map<std::string, MLFeatureValue> TextDecoderKind::predict(const MLFeatureProvider& inputs) const
{
    const auto& hp = model_.hparams;
    const std::int64_t token = firstInteger(inputs, "input_ids");
    const std::int64_t position = firstInteger(inputs, "cache_length");
    if (token < 0 || token >= hp.nVocab)
        throw MLModelError("input_ids holds " + std::to_string(token) + ", not a token of the vocabulary");
    if (position < 0 || position >= hp.nTextCtx)
        throw MLModelError("cache_length holds " + std::to_string(position) + ", not a position of the "
                           + std::to_string(hp.nTextCtx) + "-token text context");
    const std::int64_t target = markedPosition(inputArray(inputs, "kv_cache_update_mask"));
    const MLMultiArray keyCache = inputArray(inputs, "key_cache");
    const MLMultiArray valueCache = inputArray(inputs, "value_cache");
    const MLMultiArray audio = inputArray(inputs, "encoder_output_embeds");
    const MLMultiArray paddingMask = inputArray(inputs, "decoder_key_padding_mask");

    const auto workspace = workspaces_.take();
    auto& w = *workspace;
    const float* padding = floatsOf(paddingMask, w.paddingMask);
    w.visible.clear();
    for (int j = 0; j < sequenceLength_; ++j)
        if (j != target && padding[j] == 0)
            w.visible.push_back(j);
    const auto view = cacheView(keyCache, valueCache, w);
    const auto cross = crossAttention(audio, w);
    const int tokens[] = {static_cast<int>(token)};
    w.decoder.decode(tokens, static_cast<int>(position), view, *cross, w.newKeys.data(), w.newValues.data(),
                     w.logits.data(), alignment_ ? w.crossWeights.data() : nullptr);
    // Damaged weights give NaN scores; chosen among, they would pick the first
    // token again and again in place of the user's words.
    if (!allFinite(w.logits))
        throw MLModelError("Decoding failed: the model's scores are not finite numbers");

    std::map<std::string, MLFeatureValue> outputs{
        {"logits", MLFeatureValue(floatArray(logits_, w.logits.data()))},
        {"key_cache_updates", MLFeatureValue(floatArray(keyUpdates_, w.newKeys.data()))},
        {"value_cache_updates", MLFeatureValue(floatArray(valueUpdates_, w.newValues.data()))},
    };
    if (alignment_) {
        averageAlignmentHeads(w, w.alignment.data());
        outputs.emplace("alignment_heads_weights", MLFeatureValue(floatArray(*alignment_, w.alignment.data())));
    }
    return outputs;
}

} // namespace Platform::CoreML
