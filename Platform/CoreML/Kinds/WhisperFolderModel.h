#pragma once

#include "Platform/ML/Whisper/WhisperModel.h"

#include <memory>
#include <rapidjson/document.h>
#include <string_view>

namespace Platform::CoreML {

class ModelFolder;

// The hyper-parameters of the Whisper model a folder was made from, as its
// description's "hyperParameters" holds them.
void writeWhisperHyperParameters(const Platform::ML::WhisperHyperParameters& hparams, rapidjson::Document& json);

// Reads them back; throws MLModelError naming a missing or absurd value.
Platform::ML::WhisperHyperParameters readWhisperHyperParameters(const ModelFolder& folder);

// The model a folder holds one half of: its hyper-parameters, and the tensors
// whose names start with `stack` ("encoder" or "decoder") read in place from
// the mapped weights file, which the model keeps open. Throws MLModelError
// for a tensor that is missing, of another shape, or of a type it cannot be
// (vectors are float32, matrices float16 or float32).
Platform::ML::WhisperModel whisperModelOfFolder(std::shared_ptr<const ModelFolder> folder, std::string_view stack);

} // namespace Platform::CoreML
