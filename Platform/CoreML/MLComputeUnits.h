#pragma once

namespace Platform::CoreML {

// The processors a model may run on. Everything runs on the CPU here; the
// choice is recorded in the model's configuration only. Other raw values can
// be held as well.
enum class MLComputeUnits : int { cpuOnly = 0, cpuAndGPU = 1, all = 2, cpuAndNeuralEngine = 3 };

} // namespace Platform::CoreML
