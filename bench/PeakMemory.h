#pragma once

#include <filesystem>

namespace QelBench {

// The flag that makes the benchmark executable run one transcription window
// as a child process and print its peak memory.
inline constexpr const char* kOneWindowFlag = "--qel-one-window";

// Loads the model, transcribes 30 s of audio and prints the process's peak
// resident memory in KiB; the child's whole work.
int runOneWindow(const std::filesystem::path& model);

// Runs runOneWindow in a fresh process and returns its peak resident memory.
double peakMemoryOfOneWindowMiB(const std::filesystem::path& model);

} // namespace QelBench
