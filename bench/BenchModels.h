#pragma once

#include "Platform/CoreML/MLModel.h"
#include "Platform/ML/Whisper/WhisperModel.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

namespace QelBench {

// Random-weight models of the published tiny and base shapes, multilingual,
// 16-bit weights as those files ship.
enum class ModelSize { Tiny, Base };

const char* modelSizeName(ModelSize size);

// A model file of that size, written once per process into the temporary
// folder and removed at exit.
const std::filesystem::path& benchModelFile(ModelSize size);

// The loaded model of that size, loaded once per process.
const Platform::ML::WhisperModel& benchModel(ModelSize size);

// 30 s of deterministic audio: gliding tones with an envelope.
std::vector<float> benchAudio();

// The log-mel spectrogram of benchAudio() for the model.
std::vector<float> benchMel(const Platform::ML::WhisperModel& model);

// The model folders the model file of `size` converts into, with matrices of
// `type`, converted once per process into the temporary folder and removed at
// exit.
const std::filesystem::path& benchFolders(ModelSize size, Platform::CoreML::MLMultiArrayDataType type);

// benchAudio() as the input window of a mel folder.
Platform::CoreML::MLMultiArray audioWindow(const Platform::CoreML::MLModel& mel);

// The model size and thread count a benchmark runs with, from its arguments.
ModelSize sizeArgument(const benchmark::State& state);
int threadsArgument(const benchmark::State& state);

// Every processor this process may run on.
int allThreads();

// Arguments for each model size at 1, 2, 4 and all threads.
void sizesAndThreads(benchmark::internal::Benchmark* b);

// Arguments for each model size at 1 and all threads.
void tinyAndBaseAtOneAndAllThreads(benchmark::internal::Benchmark* b);

// Bytes a decoding step at `position` reads: every decoder matrix but the
// cross-attention key and value projections (those run once per window), the
// token embedding for the logits, the window's cross-attention keys and values
// and the self-attention cache so far.
double decoderBytesPerStep(const Platform::ML::WhisperModel& model, int position);

// Sets the "per_token" counter: seconds per token, shown in milliseconds with
// an "m" suffix, for `tokens` tokens an iteration.
void countTokens(benchmark::State& state, int tokens);

// Floating-point operations of one encoder window (multiply-adds count two).
double encoderFlops(const Platform::ML::WhisperHyperParameters& hparams);

} // namespace QelBench
