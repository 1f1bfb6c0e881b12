#pragma once

#include "Platform/ML/Whisper/WhisperModel.h"

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

// Floating-point operations of one encoder window (multiply-adds count two).
double encoderFlops(const Platform::ML::WhisperHyperParameters& hparams);

} // namespace QelBench
