#pragma once

// A random-weight Whisper model converted into model folders, driven through
// the engine's feature extractor, audio encoder and text decoder, and decoded
// greedily the way the numpy reference decodes: no timestamps, every special
// token but the end of text masked, and no blank first token.

#include "RadozodEri/Core/AudioEncoder.h"
#include "RadozodEri/Core/FeatureExtractor.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Core/TextDecoder.h"
#include "RadozodEri/Core/WhisperTokenizerWrapper.h"
#include "RadozodEri/Doubles/ByteTokenizer.h"
#include "tests/RadozodEri/Core/SpecialTokenMask.h"
#include "tools/ModelFolder/WhisperFolders.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace RandomWhisper {

inline constexpr int kWindowSamples = 480000;

// The stored vocabulary's 256 single bytes and the special tokens at the ids
// such a model gives them.
inline std::shared_ptr<const RadozodEri::WhisperTokenizer> tokenizerFor(int vocab)
{
    std::vector<std::string> bytes;
    for (int byte = 0; byte < 256; ++byte)
        bytes.emplace_back(1, static_cast<char>(byte));
    const bool multilingual = vocab > 51864;
    const int eot = multilingual ? 50257 : 50256;
    const int afterLanguages = multilingual ? 50259 + (vocab == 51866 ? 100 : 99) : 50357;
    std::map<std::string, int> special{{"<|endoftext|>", eot},
                                       {"<|startoftranscript|>", eot + 1},
                                       {"<|translate|>", afterLanguages},
                                       {"<|transcribe|>", afterLanguages + 1},
                                       {"<|startofprev|>", afterLanguages + 3},
                                       {"<|nospeech|>", afterLanguages + 4},
                                       {"<|notimestamps|>", afterLanguages + 5},
                                       {"<|0.00|>", afterLanguages + 6}};
    if (multilingual)
        special.emplace("<|en|>", 50259);
    return std::make_shared<RadozodEri::WhisperTokenizerWrapper>(
        std::make_unique<TestSupport::ByteTokenizer>(std::move(bytes), std::move(special)));
}

// Two gliding tones with a slow swell, 7 s.
inline std::vector<float> testAudio()
{
    std::vector<float> samples(7 * 16000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / 16000;
        const double glide = std::sin(2 * M_PI * (300 * t + 40 * t * t));
        const double tone = 0.3 * std::sin(2 * M_PI * 1234 * t);
        samples[i] = static_cast<float>(0.4 * (0.5 + 0.5 * std::sin(2 * M_PI * 0.37 * t)) * (glide + tone));
    }
    return samples;
}

struct Model {
    Model(const std::filesystem::path& folder, int vocab, std::uint64_t seed) : vocab(vocab), ggml(folder / "model.bin")
    {
        QelTools::writeRandomGgmlModel(ggml, {.seed = seed, .vocab = vocab});
        QelTools::convertWhisperModel(ggml, folder);
        using Platform::CoreML::MLComputeUnits;
        extractor.loadModel(folder / QelTools::kMelSpectrogramFolder, MLComputeUnits::cpuOnly, false);
        encoder.loadModel(folder / QelTools::kAudioEncoderFolder, MLComputeUnits::cpuOnly, false);
        decoder->loadModel(folder / QelTools::kTextDecoderFolder, MLComputeUnits::cpuOnly, false);
        decoder->tokenizer = tokenizerFor(vocab);
        decoder->isModelMultilingual = vocab > 51864;
        decoder->logitsFilters->push_back(
            std::make_shared<SpecialTokenMask>(decoder->tokenizer->specialTokens().endToken));
    }

    // The encoder output of one window of `samples`, padded with silence.
    Platform::CoreML::MLFeatureValue encode(const std::vector<float>& samples)
    {
        Platform::CoreML::MLMultiArray window({kWindowSamples}, Platform::CoreML::MLMultiArrayDataType::float32);
        std::ranges::copy(samples, window.mutableValues<float>().begin());
        const auto features = extractor.logMelSpectrogram(Platform::CoreML::MLFeatureValue(window));
        return *encoder.encodeFeatures(*features);
    }

    // Options that decode as the reference does, `steps` tokens at most.
    RadozodEri::DecodingOptions options(int steps) const
    {
        RadozodEri::DecodingOptions made;
        made.language = "en";
        made.withoutTimestamps = true;
        made.suppressBlank = true;
        made.firstTokenLogProbThreshold.reset();
        made.sampleLength = (vocab > 51864 ? 4 : 2) - 1 + steps;
        return made;
    }

    // The tokens decoded after the prompt, the end of text left out.
    std::vector<int> decode(const Platform::CoreML::MLFeatureValue& audio, int steps)
    {
        const auto options = this->options(steps);
        const auto inputs = decoder->prepareDecoderInputs({decoder->tokenizer->specialTokens().startOfTranscriptToken});
        decoder->prefillDecoderInputs(*inputs, options);
        RadozodEri::GreedyTokenSampler sampler(0, decoder->tokenizer->specialTokens().endToken, options);
        const auto result = decoder->decodeText(audio, *inputs, sampler, options);
        return {result.tokens.begin() + static_cast<std::ptrdiff_t>(inputs->initialPrompt.size()),
                result.tokens.end() - 1};
    }

    int vocab;
    std::filesystem::path ggml;
    RadozodEri::FeatureExtractor extractor;
    RadozodEri::AudioEncoder encoder;
    std::shared_ptr<RadozodEri::TextDecoder> decoder = std::make_shared<RadozodEri::TextDecoder>();
};

} // namespace RandomWhisper
