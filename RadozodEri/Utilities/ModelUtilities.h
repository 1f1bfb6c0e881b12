#pragma once

// What the engine works out about its models once they are loaded: the model
// size from the decoder's vocabulary and the encoder's width, the tokenizer
// that goes with it, the model folders of a repository's file list and the
// models a device supports.

#include "RadozodEri/Core/ModelSupport.h"
#include "RadozodEri/Core/ModelVariant.h"
#include "RadozodEri/Core/WhisperTokenizerWrapper.h"
#include "RuntimeCore/Models/ModelUtilities.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace RadozodEri::ModelUtilities {

using RuntimeCore::ModelUtilities::detectModelURL;

// An unknown vocabulary size gives `base`, logged as an error.
ModelVariant detectVariant(int logitsDim, int encoderDim);

// The hub repository of the variant's tokenizer, as "openai/whisper-base.en".
std::string tokenizerNameForVariant(ModelVariant variant);

// Where the hub keeps a repository below a download base.
std::filesystem::path hubRepositoryFolder(const std::filesystem::path& downloadBase, const std::string& repository);

// The tokenizer from the first folder that holds "tokenizer.json": the hub's
// folder of the variant's repository below `tokenizerFolder` (or below the
// default download base), then `tokenizerFolder` itself, then
// `additionalSearchPaths` in order. A folder whose files cannot make a
// tokenizer is logged and passed over. When no folder serves, the tokenizer
// files are fetched from the hub into its folder, and a failure there is
// thrown as it came.
std::unique_ptr<WhisperTokenizerWrapper>
loadTokenizer(ModelVariant variant, const std::optional<std::filesystem::path>& tokenizerFolder,
              const std::vector<std::filesystem::path>& additionalSearchPaths = {}, bool useBackgroundSession = false);

// The model folders that a repository's file paths lie in, each once: tiny
// models first, then base, small, medium and large ones, each family in text
// order.
std::vector<std::string> formatModelFiles(const std::vector<std::string>& modelFiles);

// The device's models from `config`, else from the built-in table.
ModelSupport modelSupport(std::string_view deviceIdentifier, const std::optional<ModelSupportConfig>& config);
// The recommended and the disabled models only.
std::pair<std::string, std::vector<std::string>> modelSupportSummary(std::string_view deviceIdentifier,
                                                                     const std::optional<ModelSupportConfig>& config);

} // namespace RadozodEri::ModelUtilities
