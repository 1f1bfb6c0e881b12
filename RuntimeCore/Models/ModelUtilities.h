#pragma once

#include "Platform/CoreML/MLModel.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// Finding model files on disk and reading tensor sizes from model
// descriptions. Nothing here throws.
namespace RuntimeCore::ModelUtilities {

// NAME.mlmodelc in the folder, unless only the package NAME.mlpackage with
// its model file exists, in which case that model file. Whether anything is
// at the location returned is the caller's business.
std::filesystem::path detectModelURL(const std::filesystem::path& folder, const std::string& name);

// Without `recursive`, as above. With it, NAME.mlmodelc directly in the folder,
// else the first folder of that name anywhere below it in the order the file
// system lists them, else the (missing) location directly in the folder;
// packages are not looked for.
std::filesystem::path detectModelURL(const std::filesystem::path& folder, const std::string& name, bool recursive);

// The first compiled model directly in the folder, else the model file of the
// first package, in the order the file system lists them; nothing when there
// is neither or the folder cannot be listed.
std::optional<std::filesystem::path> detectModelURL(const std::filesystem::path& folder);

// The extent at `position` of the named input's (or output's) array shape;
// nothing without a model, for a name it lacks, a feature that is not an
// array, or a position outside the shape.
std::optional<int> getModelInputDimension(const std::shared_ptr<const Platform::CoreML::MLModel>& model,
                                          const std::string& name, int position);
std::optional<int> getModelOutputDimension(const std::shared_ptr<const Platform::CoreML::MLModel>& model,
                                           const std::string& name, int position);

// Second names of the two above, kept because callers use both spellings.
inline std::optional<int> getModelInputDimention(const std::shared_ptr<const Platform::CoreML::MLModel>& model,
                                                 const std::string& name, int position)
{
    return getModelInputDimension(model, name, position);
}
inline std::optional<int> getModelOutputDimention(const std::shared_ptr<const Platform::CoreML::MLModel>& model,
                                                  const std::string& name, int position)
{
    return getModelOutputDimension(model, name, position);
}

} // namespace RuntimeCore::ModelUtilities
