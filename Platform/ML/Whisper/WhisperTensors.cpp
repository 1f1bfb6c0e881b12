#include "Platform/ML/Whisper/WhisperTensors.h"

#include <type_traits>

namespace Platform::ML {

std::int64_t WhisperTensor::columns() const
{
    std::int64_t count = 1;
    for (size_t i = 1; i < shape.size(); ++i)
        count *= shape[i];
    return count;
}

std::vector<WhisperTensor> whisperModelTensors(WhisperModel& model)
{
    const auto& hp = model.hparams;
    std::vector<WhisperTensor> tensors;
    const auto vector = [&](std::string name, std::vector<std::int64_t> shape, const float*& field) {
        tensors.push_back({std::move(name), std::move(shape), nullptr, &field});
    };
    const auto matrix = [&](std::string name, std::vector<std::int64_t> shape, WeightMatrix& field) {
        tensors.push_back({std::move(name), std::move(shape), &field, nullptr});
    };
    const auto linear = [&](const std::string& name, std::int64_t in, std::int64_t out, Linear& layer,
                            bool bias = true) {
        matrix(name + ".weight", {out, in}, layer.weight);
        if (bias)
            vector(name + ".bias", {out}, layer.bias);
    };
    const auto norm = [&](const std::string& name, std::int64_t width, LayerNormWeights& weights) {
        vector(name + ".weight", {width}, weights.weight);
        vector(name + ".bias", {width}, weights.bias);
    };
    const auto attention = [&](const std::string& name, std::int64_t width, AttentionWeights& weights) {
        linear(name + ".query", width, width, weights.query);
        linear(name + ".key", width, width, weights.key, false);
        linear(name + ".value", width, width, weights.value);
        linear(name + ".out", width, width, weights.out);
    };
    // Encoder and decoder blocks differ only in the decoder's cross attention,
    // which sits between self attention and the MLP.
    const auto blocks = [&]<class Block>(const std::string& stack, int layers, std::int64_t width,
                                         std::vector<Block>& list) {
        list.resize(static_cast<size_t>(layers));
        for (int i = 0; i < layers; ++i) {
            const std::string prefix = stack + ".blocks." + std::to_string(i) + ".";
            auto& block = list[static_cast<size_t>(i)];
            norm(prefix + "attn_ln", width, block.attnLn);
            attention(prefix + "attn", width, block.attn);
            if constexpr (std::is_same_v<Block, DecoderBlockWeights>) {
                norm(prefix + "cross_attn_ln", width, block.crossAttnLn);
                attention(prefix + "cross_attn", width, block.crossAttn);
            }
            norm(prefix + "mlp_ln", width, block.mlpLn);
            linear(prefix + "mlp.0", width, 4 * width, block.mlp0);
            linear(prefix + "mlp.2", 4 * width, width, block.mlp2);
        }
    };

    const std::int64_t audio = hp.nAudioState, text = hp.nTextState;
    auto& encoder = model.encoder;
    vector("encoder.positional_embedding", {hp.nAudioCtx, audio}, encoder.positionalEmbedding);
    matrix("encoder.conv1.weight", {audio, hp.nMels, 3}, encoder.conv1.weight);
    vector("encoder.conv1.bias", {audio, 1}, encoder.conv1.bias);
    matrix("encoder.conv2.weight", {audio, audio, 3}, encoder.conv2.weight);
    vector("encoder.conv2.bias", {audio, 1}, encoder.conv2.bias);
    blocks("encoder", hp.nAudioLayer, audio, encoder.blocks);
    norm("encoder.ln_post", audio, encoder.lnPost);

    auto& decoder = model.decoder;
    vector("decoder.positional_embedding", {hp.nTextCtx, text}, decoder.positionalEmbedding);
    matrix("decoder.token_embedding.weight", {hp.nVocab, text}, decoder.tokenEmbedding);
    blocks("decoder", hp.nTextLayer, text, decoder.blocks);
    norm("decoder.ln", text, decoder.ln);
    return tensors;
}

} // namespace Platform::ML
