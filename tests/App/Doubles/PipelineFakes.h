#pragma once

// Fakes around the streaming pipeline: an engine that answers from a script and
// can hold its callers, an inserter that records, and recorded callbacks.

#include "App/Audio/StreamingPipeline.h"
#include "App/Insertion/TextInserting.h"
#include "App/STT/STTEngine.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

// Every call records its audio; the answer is the next scripted one, else
// answerFor(audio), else "words". While held, calls wait until released.
class ScriptedEngine : public QEL::STTEngine {
public:
    struct Answer {
        std::string text;
        bool fails = false;
    };

    void script(Answer answer)
    {
        std::lock_guard lock(mutex_);
        answers_.push_back(std::move(answer));
    }
    void hold()
    {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release()
    {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
        }
        changed_.notify_all();
    }
    // Waits until `count` calls have started.
    bool waitForCalls(size_t count)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return calls_.size() >= count; });
    }
    std::vector<std::vector<float>> calls() const
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }

    // Set before the pipeline runs.
    std::function<std::string(const std::vector<float>&)> answerFor;

    void load(const std::string&) override {}
    QEL::QELTranscriptionResult transcribe(const std::vector<float>& audioSamples) override
    {
        std::unique_lock lock(mutex_);
        calls_.push_back(audioSamples);
        changed_.notify_all();
        changed_.wait(lock, [&] { return !held_; });
        Answer answer{answerFor ? answerFor(audioSamples) : "words"};
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        }
        if (answer.fails)
            throw std::runtime_error(answer.text);
        QEL::QELTranscriptionResult result;
        result.text = answer.text;
        result.language = "en";
        return result;
    }
    bool isLoaded() const override { return true; }
    std::string modelName() const override { return "scripted"; }
    void unload() override {}

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Answer> answers_;
    std::vector<std::vector<float>> calls_;
    bool held_ = false;
};

class RecordingInserter : public QEL::TextInserting {
public:
    void insert(const std::string& text) override
    {
        std::lock_guard lock(mutex_);
        texts_.push_back(text);
    }
    std::vector<std::string> texts() const
    {
        std::lock_guard lock(mutex_);
        return texts_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
};

// What the pipeline reported through its six callbacks.
class RecordedCallbacks {
public:
    void install(QEL::StreamingPipeline& pipeline)
    {
        pipeline.onTranscript = [this](const QEL::ProcessedResult& result) { add(transcripts, result.originalText); };
        pipeline.onPartialTranscript = [this](const std::string& text) { add(partials, text); };
        pipeline.onAudioLevel = [this](float level) { add(levels, level); };
        pipeline.onSpeechStateChange = [this](bool speaking) { add(speechStates, speaking); };
        pipeline.onError = [this](const std::exception& error) { add(errors, std::string(error.what())); };
        pipeline.onLatencyReport = [this](double ms) { add(latencies, ms); };
    }

    template <typename T>
    std::vector<T> read(const std::vector<T>& list) const
    {
        std::lock_guard lock(mutex_);
        return list;
    }

    std::vector<std::string> transcripts, partials, errors;
    std::vector<float> levels;
    std::vector<bool> speechStates;
    std::vector<double> latencies;

private:
    template <typename T>
    void add(std::vector<T>& list, T value)
    {
        std::lock_guard lock(mutex_);
        list.push_back(std::move(value));
    }
    mutable std::mutex mutex_;
};
