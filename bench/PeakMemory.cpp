#include "bench/PeakMemory.h"

#include "bench/BenchModels.h"

#include "QelCore/Decoding/WhisperTranscriber.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

namespace QelBench {

namespace {

// The high-water mark of this process's resident memory. Read here rather than
// from the parent's wait: a spawned child shares the parent's memory until it
// execs, and the kernel's peak figure for the child would include the parent's.
long residentHighWaterKiB()
{
    return processStatusKiB("VmHWM:");
}

} // namespace

struct WindowTranscription::State {
    explicit State(const std::filesystem::path& path)
        : model(QelCore::loadGgmlWhisperModel(path)), vocabulary(model.vocabulary), transcriber(model, vocabulary)
    {
        settings.language = 0;
        settings.maxTokensPerWindow = 16;
    }

    Platform::ML::WhisperModel model;
    QelCore::WhisperVocabulary vocabulary;
    QelCore::WhisperTranscriber transcriber;
    QelCore::DecodingSettings settings;
    std::vector<float> audio = benchAudio();
};

WindowTranscription::WindowTranscription(const std::filesystem::path& path) : state_(std::make_unique<State>(path)) {}

WindowTranscription::~WindowTranscription() = default;

void WindowTranscription::run()
{
    state_->transcriber.transcribe(state_->audio.data(), static_cast<long>(state_->audio.size()), state_->settings);
}

int runOneWindow(const std::filesystem::path& path)
{
    WindowTranscription(path).run();
    std::printf("%ld\n", residentHighWaterKiB());
    return 0;
}

int runModelLoad(const std::filesystem::path& path)
{
    const auto model = QelCore::loadGgmlWhisperModel(path);
    std::printf("%ld\n", residentHighWaterKiB());
    return 0;
}

std::vector<long> figuresOfFreshProcess(const char* flag, const std::filesystem::path& path)
{
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    std::string command;
    for (const std::string& part : {self.string(), std::string(flag), path.string()})
        command.append(command.empty() ? "'" : " '").append(part).append("'");
    std::unique_ptr<FILE, int (*)(FILE*)> child(popen(command.c_str(), "r"), pclose);
    std::vector<long> figures;
    for (long figure = 0; child && std::fscanf(child.get(), "%ld", &figure) == 1;)
        figures.push_back(figure);
    if (figures.empty())
        throw std::runtime_error(std::string("The benchmark's child process (") + flag + ") failed");
    return figures;
}

long figureOfFreshProcess(const char* flag, const std::filesystem::path& path)
{
    return figuresOfFreshProcess(flag, path).front();
}

double peakMemoryMiB(const char* flag, const std::filesystem::path& model)
{
    return static_cast<double>(figureOfFreshProcess(flag, model)) / 1024.0;
}

} // namespace QelBench
