#include "QelCore/Decoding/WhisperTranscriber.h"

#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/Vector/FiniteSamples.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>

namespace QelCore {

using namespace Platform::ML;

WhisperTranscriber::WhisperTranscriber(const WhisperModel& model, const WhisperVocabulary& vocabulary)
    : model_(model), vocabulary_(vocabulary), special_(SpecialTokens::forVocabularySize(model.hparams.nVocab)),
      greedy_(special_, vocabulary), mel_(model.melFilters.data(), model.hparams.nMels, model.windowSamples()),
      encoder_(model), decoder_(model)
{
    const auto& hp = model.hparams;
    const size_t cross = decoder_.crossAttentionSize();
    const size_t cache = static_cast<size_t>(hp.nTextLayer) * hp.nTextCtx * hp.nTextState;
    window_.resize(std::max(encoder_.scratchSize() * sizeof(float), 2 * (cross + cache) * sizeof(Float16)));
    crossKeys_ = reinterpret_cast<Float16*>(window_.data());
    crossValues_ = crossKeys_ + cross;
    keys_ = crossValues_ + cross;
    values_ = keys_ + cache;
    logits_.resize(static_cast<size_t>(hp.nVocab));
    prefix_.reserve(static_cast<size_t>(hp.nTextCtx));
    tokens_.reserve(static_cast<size_t>(hp.nTextCtx));
}

void WhisperTranscriber::releaseWindowBuffers()
{
    melBuffer_ = Platform::LargeVector<float>();
    encoderOutput_ = Platform::LargeVector<float>();
}

void WhisperTranscriber::runTokens(std::span<const int> tokens, int firstPosition, float* logits)
{
    const auto& hp = model_.hparams;
    const long rows = static_cast<long>(tokens.size());
    const long layerSize = rows * hp.nTextState;
    if (newKeys_.size() < static_cast<size_t>(hp.nTextLayer * layerSize)) {
        newKeys_.resize(static_cast<size_t>(hp.nTextLayer * layerSize));
        newValues_.resize(newKeys_.size());
    }
    auto view = KeyValueCacheView::positionMajor(keys_, values_, hp.nTextCtx, hp.nTextState);
    decoder_.decode(tokens, firstPosition, view, CrossAttentionSpan{crossKeys_, crossValues_}, newKeys_.data(),
                    newValues_.data(), logits);
    for (int l = 0; l < hp.nTextLayer; ++l) {
        const long from = l * layerSize;
        const long to = (static_cast<long>(l) * hp.nTextCtx + firstPosition) * hp.nTextState;
        narrowToHalfFloats(newKeys_.data() + from, static_cast<size_t>(layerSize),
                           reinterpret_cast<std::byte*>(keys_ + to));
        narrowToHalfFloats(newValues_.data() + from, static_cast<size_t>(layerSize),
                           reinterpret_cast<std::byte*>(values_ + to));
    }
    // NaN compares false with everything, so choosing among such scores would
    // pick the first piece again and again in place of the user's words.
    if (logits && !Platform::allFinite({logits, static_cast<size_t>(hp.nVocab)}))
        throw std::runtime_error("Decoding failed: the model's scores are not finite numbers");
}

int WhisperTranscriber::detectLanguage()
{
    const int start = special_.startOfTranscript;
    runTokens({&start, 1}, 0, logits_.data());
    const float* first = logits_.data() + special_.firstLanguage;
    return static_cast<int>(std::max_element(first, first + special_.languageCount) - first);
}

int WhisperTranscriber::buildPrefix(const DecodingSettings& settings, int language)
{
    prefix_.clear();
    if (!settings.prompt.empty()) {
        // The most recent prompt tokens that fit in half the context.
        const size_t room = static_cast<size_t>(model_.hparams.nTextCtx / 2 - 1);
        const auto prompt = settings.prompt.size() > room ? settings.prompt.last(room) : settings.prompt;
        prefix_.push_back(special_.startOfPrevious);
        prefix_.insert(prefix_.end(), prompt.begin(), prompt.end());
    }
    appendStartSequence(special_, language, prefix_);
    return static_cast<int>(prefix_.size());
}

void WhisperTranscriber::decodeWindow(int window, const DecodingSettings& settings, int language,
                                      TranscriptionObserver* observer, std::string& text)
{
    const int nTextCtx = model_.hparams.nTextCtx;
    const int prefixLength = buildPrefix(settings, language);
    runTokens(prefix_, 0, logits_.data());

    const int perWindow = settings.maxTokensPerWindow > 0 ? settings.maxTokensPerWindow : nTextCtx / 2;
    const int budget = std::min(perWindow, nTextCtx - prefixLength);
    tokens_.clear();
    for (int n = 0; n < budget; ++n) {
        if (observer)
            observer->logitsComputed(window, logits_.data());
        const int token = greedy_.choose(logits_, n == 0);
        if (token == special_.endOfText)
            break;
        tokens_.push_back(token);
        if (observer)
            observer->tokenChosen(window, token);
        if (n + 1 < budget)
            runTokens({&token, 1}, prefixLength + n, logits_.data());
    }
    // One reservation per window, however many tokens it has.
    size_t bytes = text.size();
    for (int token : tokens_)
        bytes += vocabulary_.pieceSize(token);
    text.reserve(bytes);
    for (int token : tokens_)
        vocabulary_.appendText(token, text);
}

std::string WhisperTranscriber::transcribe(const float* samples, long count, const DecodingSettings& settings,
                                           TranscriptionObserver* observer)
{
    if (special_.multilingual() && settings.language &&
        (*settings.language < 0 || *settings.language >= special_.languageCount))
        throw std::invalid_argument("Language not supported by this model");
    std::string text;
    detectedLanguage_.reset();
    const auto& hp = model_.hparams;
    melBuffer_.resize(static_cast<size_t>(hp.nMels) * model_.melFrames());
    encoderOutput_.resize(static_cast<size_t>(hp.nAudioCtx) * hp.nAudioState);
    const long windowSamples = model_.windowSamples();
    int language = settings.language.value_or(0);
    for (long start = 0, window = 0; start < count; start += windowSamples, ++window) {
        const int index = static_cast<int>(window);
        mel_.compute(samples + start, std::min(windowSamples, count - start), melBuffer_.data());
        if (observer)
            observer->melComputed(index, melBuffer_.data());
        encoder_.encode(melBuffer_.data(), encoderOutput_.data(), reinterpret_cast<float*>(window_.data()));
        if (observer)
            observer->encoderFinished(index, encoderOutput_.data());
        decoder_.computeCrossAttention(encoderOutput_.data(), crossKeys_, crossValues_);
        if (special_.multilingual() && !settings.language && !detectedLanguage_) {
            detectedLanguage_ = detectLanguage();
            language = *detectedLanguage_;
        }
        decodeWindow(index, settings, language, observer, text);
    }
    return text;
}

} // namespace QelCore
