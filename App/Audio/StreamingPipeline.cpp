#include "App/Audio/StreamingPipeline.h"

#include "App/Audio/NonSpeechTokens.h"
#include "App/STT/STTEngineError.h"
#include "App/Utils/FileLogger.h"
#include "Platform/Text/Format.h"
#include "Platform/Vector/FiniteSamples.h"
#include "Platform/Vector/RootMeanSquare.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace QEL {

StreamingPipeline::StreamingPipeline(std::unique_ptr<VoiceActivityDetector> vad, std::shared_ptr<STTEngine> engine,
                                     std::unique_ptr<TextProcessor> processor,
                                     std::shared_ptr<TextInserting> inserter)
    : vad_(std::move(vad)), engine_(std::move(engine)), processor_(std::move(processor)), inserter_(std::move(inserter))
{
}

StreamingPipeline::~StreamingPipeline() = default;

void StreamingPipeline::start()
{
    isActive_ = true;
    vad_->reset();
    speechBuffer_.clear();
    preSpeechBuffer_.clear();
}

void StreamingPipeline::stop()
{
    isActive_ = false;
    if (!speechBuffer_.empty())
        enqueueTranscription(std::exchange(speechBuffer_, {}), false);
}

void StreamingPipeline::processAudioBuffer(const std::vector<float>& frame)
{
    if (!isActive_)
        return;
    if (!Platform::allFinite(frame)) {
        // A broken device's NaN or infinite samples would make the level, the
        // detector's verdict and the utterance's audio meaningless.
        std::vector<float> silenced(frame.size());
        std::transform(frame.begin(), frame.end(), silenced.begin(), Platform::silenceIfNotFinite);
        processFiniteFrame(silenced);
    } else {
        processFiniteFrame(frame);
    }
}

void StreamingPipeline::processFiniteFrame(const std::vector<float>& frame)
{
    ++frameCount_;

    const float rms = Platform::rootMeanSquare(frame);
    const float level = std::min(rms * 10.0f, 1.0f);
    if (onAudioLevel)
        onAudioLevel(level);
    if (frameCount_ - lastLogFrame_ >= 20) {
        FileLogger::log("Audio frame #" + std::to_string(frameCount_) + ": " + std::to_string(frame.size()) +
                        " samples, RMS=" + Platform::formatted("%.6f", rms) +
                        ", level=" + Platform::formatted("%.4f", level));
        lastLogFrame_ = frameCount_;
    }

    // Written before the detector sees the frame, so the pre-roll always ends
    // with the current frame.
    preSpeechBuffer_.write(frame);

    const bool wasSpeaking = vad_->isSpeechActive();
    switch (vad_->process(frame)) {
    case VADResult::endpoint:
        FileLogger::log("VAD: ENDPOINT detected, buffer=" + std::to_string(speechBuffer_.size()) + " samples");
        handleEndpoint(frame);
        break;
    case VADResult::silence:
        // Quiet frames inside an open utterance belong to it; between
        // utterances they live on only in the pre-roll.
        if (vad_->isSpeechActive())
            speechBuffer_.insert(speechBuffer_.end(), frame.begin(), frame.end());
        break;
    case VADResult::speech:
        if (!wasSpeaking)
            FileLogger::log("VAD: Speech START detected (RMS=" + Platform::formatted("%.6f", rms) + ")");
        handleSpeechFrame(frame);
        break;
    }
}

void StreamingPipeline::handleSpeechFrame(const std::vector<float>& frame)
{
    if (speechBuffer_.empty()) {
        if (onSpeechStateChange)
            onSpeechStateChange(true);
        // The utterance starts with the pre-roll, which already ends with this
        // frame. Audio of earlier utterances is never prepended: it has been
        // transcribed and inserted already.
        if (frame.size() >= preSpeechBuffer_.capacity())
            speechBuffer_ = frame;
        else
            speechBuffer_ = preSpeechBuffer_.readLast(preSpeechBuffer_.count());
    } else {
        speechBuffer_.insert(speechBuffer_.end(), frame.begin(), frame.end());
    }

    if (speechBuffer_.size() < partialThresholdSamples)
        return;
    startPreviewIfIdle();
    if (speechBuffer_.size() >= maxSpeechBufferSamples) {
        enqueueTranscription(std::exchange(speechBuffer_, {}), true);
        // The pre-roll now holds audio that went out with the flush; the next
        // buffer must not bring it back.
        preSpeechBuffer_.clear();
    }
}

void StreamingPipeline::handleEndpoint(const std::vector<float>& frame)
{
    if (onSpeechStateChange)
        onSpeechStateChange(false);
    if (speechBuffer_.empty())
        return;
    enqueueTranscription(std::exchange(speechBuffer_, {}), false);
    // The pre-roll still holds the end of the utterance just handed over (with
    // a short silence limit even its last words); only the quiet frame that
    // ended it may lead into the next one.
    preSpeechBuffer_.clear();
    preSpeechBuffer_.write(frame);
}

void StreamingPipeline::enqueueTranscription(std::vector<float> audio, bool isPartial)
{
    std::lock_guard lock(mutex_);
    queue_.push_back({std::move(audio), isPartial});
    if (!isDrainingQueue_) {
        isDrainingQueue_ = true;
        workers_.submit([this] { runQueuedTranscriptions(); });
    }
}

void StreamingPipeline::runQueuedTranscriptions()
{
    for (;;) {
        QueuedTranscription next;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) {
                isDrainingQueue_ = false;
                queueDrained_.notify_all();
                return;
            }
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            transcribeAndInsert(next.audio, next.isPartial);
        } catch (const std::exception& error) {
            // Processing, insertion or a callback failed; the next utterance
            // still gets its turn.
            FileLogger::log("TRANSCRIPTION ERROR: " + debugDescription(error));
        } catch (...) {
            FileLogger::log("TRANSCRIPTION ERROR: unknown failure");
        }
    }
}

void StreamingPipeline::startPreviewIfIdle()
{
    {
        std::lock_guard lock(mutex_);
        if (isPreviewRunning_ || isDrainingQueue_)
            return;
        isPreviewRunning_ = true;
    }
    workers_.submit([this, audio = speechBuffer_] {
        runPreview(audio);
        std::lock_guard lock(mutex_);
        isPreviewRunning_ = false;
    });
}

void StreamingPipeline::runPreview(const std::vector<float>& audio)
{
    if (isTranscribing())
        return;
    try {
        const QELTranscriptionResult result = engine_->transcribe(audio);
        if (!result.text.empty() && onPartialTranscript)
            onPartialTranscript(result.text);
    } catch (...) {
        // A failed preview changes nothing; the final transcription reports.
    }
}

void StreamingPipeline::transcribeAndInsert(const std::vector<float>& audio, bool isPartial)
{
    const float rms = Platform::rootMeanSquare(audio);
    FileLogger::log("transcribeAndInsert: " + std::to_string(audio.size()) + " samples, RMS=" +
                    Platform::formatted("%.4f", rms) + ", isPartial=" + Platform::booleanText(isPartial));
    if (rms < noiseGateRMS) {
        FileLogger::log("SKIP: audio too quiet (noise gate)");
        return;
    }

    const auto start = std::chrono::steady_clock::now();
    QELTranscriptionResult result;
    try {
        result = engine_->transcribe(audio);
    } catch (const std::exception& error) {
        reportEngineFailure(error);
        return;
    } catch (...) {
        reportEngineFailure(std::runtime_error("Unknown engine failure"));
        return;
    }
    const double latencyMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    {
        std::lock_guard lock(mutex_);
        lastTranscriptionLatencyMs_ = latencyMs;
        ++totalTranscriptions_;
    }
    if (onLatencyReport)
        onLatencyReport(latencyMs);
    FileLogger::log("Transcription result: '" + result.text + "' (" + std::to_string(static_cast<long>(latencyMs)) +
                    "ms)");

    result.text = removingNonSpeechTokens(result.text);
    if (result.text.empty()) {
        FileLogger::log("Empty/hallucinated transcription, skipping");
        return;
    }

    const ProcessedResult processed = processor_->process(result);
    if (onTranscript)
        onTranscript(processed);
    // Text of a forced flush is inserted like any final text: it will not be
    // transcribed again, so leaving it out would lose those words.
    if (processed.detectedCommand && processor_->commandDetector())
        processor_->commandDetector()->execute(*processed.detectedCommand);
    else if (!processed.text.empty())
        inserter_->insert(processed.text);
}

void StreamingPipeline::reportEngineFailure(const std::exception& error)
{
    FileLogger::log("TRANSCRIPTION ERROR: " + debugDescription(error));
    if (onError)
        onError(error);
}

bool StreamingPipeline::waitUntilIdle(std::chrono::milliseconds timeLimit)
{
    std::unique_lock lock(mutex_);
    return queueDrained_.wait_for(lock, timeLimit, [this] { return !isDrainingQueue_; });
}

bool StreamingPipeline::isTranscribing() const
{
    std::lock_guard lock(mutex_);
    return isDrainingQueue_;
}

double StreamingPipeline::lastTranscriptionLatencyMs() const
{
    std::lock_guard lock(mutex_);
    return lastTranscriptionLatencyMs_;
}

int StreamingPipeline::totalTranscriptions() const
{
    std::lock_guard lock(mutex_);
    return totalTranscriptions_;
}

} // namespace QEL
