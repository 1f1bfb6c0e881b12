#pragma once

#include "bench/ProcessStatus.h"

#include <filesystem>
#include <string>

namespace QelBench {

// The flag that makes the benchmark executable run one transcription window
// as a child process and print its peak memory.
inline constexpr const char* kOneWindowFlag = "--qel-one-window";

// Loads the model, transcribes 30 s of audio and prints the process's peak
// resident memory in KiB; the child's whole work.
int runOneWindow(const std::filesystem::path& model);

// The flag that makes it load a model folder as a child process and print
// what the load added to its resident memory.
inline constexpr const char* kFolderLoadFlag = "--qel-folder-load";

// Loads the model folder and prints the growth of resident memory in KiB; the
// child's whole work.
int runFolderLoad(const std::filesystem::path& folder);

// The flag that makes it load a ggml model as a child process and print its
// peak resident memory.
inline constexpr const char* kModelLoadFlag = "--qel-model-load";

// Loads the model and prints the process's peak resident memory in KiB; the
// child's whole work.
int runModelLoad(const std::filesystem::path& model);

// The flag that makes it load a model's mel, encoder and decoder folders as a
// child process, run one window with 16 tokens and print its peak memory.
inline constexpr const char* kFoldersWindowFlag = "--qel-folders-window";

// Loads the folders in `folders`, runs the window and prints the process's
// peak resident memory in KiB; the child's whole work.
int runFoldersWindow(const std::filesystem::path& folders);

// Runs this executable with the flag and the path in a fresh process and
// returns the number it prints.
long figureOfFreshProcess(const char* flag, const std::filesystem::path& path);

// Runs this executable with the flag (kOneWindowFlag, kModelLoadFlag or
// kFoldersWindowFlag) and the path in a fresh process and returns its peak
// resident memory.
double peakMemoryMiB(const char* flag, const std::filesystem::path& model);

} // namespace QelBench
