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

int runOneWindow(const std::filesystem::path& path)
{
    using namespace Platform::ML;
    using namespace QelCore;
    const auto model = loadGgmlWhisperModel(path);
    const WhisperVocabulary vocabulary(model.vocabulary);
    WhisperTranscriber transcriber(model, vocabulary);
    DecodingSettings settings;
    settings.language = 0;
    settings.maxTokensPerWindow = 16;
    const auto audio = benchAudio();
    transcriber.transcribe(audio.data(), static_cast<long>(audio.size()), settings);
    std::printf("%ld\n", residentHighWaterKiB());
    return 0;
}

int runModelLoad(const std::filesystem::path& path)
{
    const auto model = QelCore::loadGgmlWhisperModel(path);
    std::printf("%ld\n", residentHighWaterKiB());
    return 0;
}

long figureOfFreshProcess(const char* flag, const std::filesystem::path& path)
{
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    std::string command;
    for (const std::string& part : {self.string(), std::string(flag), path.string()})
        command.append(command.empty() ? "'" : " '").append(part).append("'");
    std::unique_ptr<FILE, int (*)(FILE*)> child(popen(command.c_str(), "r"), pclose);
    long figure = 0;
    if (!child || std::fscanf(child.get(), "%ld", &figure) != 1)
        throw std::runtime_error(std::string("The benchmark's child process (") + flag + ") failed");
    return figure;
}

double peakMemoryMiB(const char* flag, const std::filesystem::path& model)
{
    return static_cast<double>(figureOfFreshProcess(flag, model)) / 1024.0;
}

} // namespace QelBench
