#include "bench/PeakMemory.h"

#include "bench/BenchModels.h"

#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "QelCore/Decoding/WhisperTranscriber.h"

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
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 16, '\n');
    }
    throw std::runtime_error("No VmHWM in /proc/self/status");
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

double peakMemoryOfOneWindowMiB(const std::filesystem::path& model)
{
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    std::string command;
    for (const std::string& part : {self.string(), std::string(kOneWindowFlag), model.string()})
        command.append(command.empty() ? "'" : " '").append(part).append("'");
    std::unique_ptr<FILE, int (*)(FILE*)> child(popen(command.c_str(), "r"), pclose);
    long kib = 0;
    if (!child || std::fscanf(child.get(), "%ld", &kib) != 1)
        throw std::runtime_error("The peak-memory process failed");
    return static_cast<double>(kib) / 1024.0;
}

} // namespace QelBench
