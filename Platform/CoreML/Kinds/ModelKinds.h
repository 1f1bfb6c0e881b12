#pragma once

#include "Platform/CoreML/Kinds/ModelComputation.h"

#include <memory>
#include <string>
#include <string_view>

namespace Platform::CoreML {

class ModelFolder;

// Builds a kind's computation from an opened folder. Throws MLModelError when
// the folder's hyper-parameters, features or weights do not suit the kind.
using ModelKindConstructor = std::unique_ptr<ModelComputation> (*)(std::shared_ptr<const ModelFolder> folder);

// The constructor of the kind a folder names, or null for an unknown kind.
ModelKindConstructor modelKindConstructor(std::string_view kind);

// The known kinds, comma-separated, for messages.
std::string knownModelKinds();

// A kind made for tests (ScriptedDecoder, ShapeOnly), known in this process
// while the registration lives. Such kinds compute whatever their folder
// declares, so they are never known to a process that merely loads folders
// from disk: only a test that holds a registration can load one.
class ModelKindRegistration {
public:
    ModelKindRegistration(std::string kind, ModelKindConstructor constructor);
    ~ModelKindRegistration();
    ModelKindRegistration(const ModelKindRegistration&) = delete;
    ModelKindRegistration& operator=(const ModelKindRegistration&) = delete;

private:
    std::string kind_;
};

} // namespace Platform::CoreML
