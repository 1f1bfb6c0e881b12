#include "RuntimeCore/Models/ModelUtilities.h"

namespace RuntimeCore::ModelUtilities {
namespace {

namespace fs = std::filesystem;

// Where a package keeps its model specification.
constexpr const char* kPackageModelFile = "Data/com.apple.CoreML/model.mlmodel";

bool isPresent(const fs::path& path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}

std::optional<int> dimension(const std::map<std::string, Platform::CoreML::MLFeatureDescription>& features,
                             const std::string& name, int position)
{
    const auto found = features.find(name);
    if (found == features.end() || !found->second.multiArrayConstraint)
        return std::nullopt;
    const auto& shape = found->second.multiArrayConstraint->shape;
    if (position < 0 || static_cast<size_t>(position) >= shape.size())
        return std::nullopt;
    return static_cast<int>(shape[static_cast<size_t>(position)]);
}

} // namespace

fs::path detectModelURL(const fs::path& folder, const std::string& name)
{
    const fs::path compiled = folder / (name + ".mlmodelc");
    const fs::path package = folder / (name + ".mlpackage") / kPackageModelFile;
    return isPresent(package) && !isPresent(compiled) ? package : compiled;
}

fs::path detectModelURL(const fs::path& folder, const std::string& name, bool recursive)
{
    if (!recursive)
        return detectModelURL(folder, name);
    const fs::path compiled = folder / (name + ".mlmodelc");
    if (isPresent(compiled))
        return compiled;
    std::error_code error;
    fs::recursive_directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
    for (const fs::recursive_directory_iterator end; !error && entries != end; entries.increment(error))
        if (entries->path().filename() == compiled.filename())
            return entries->path();
    return compiled;
}

std::optional<fs::path> detectModelURL(const fs::path& folder)
{
    std::error_code error;
    std::vector<fs::path> entries;
    for (fs::directory_iterator listing(folder, error), end; !error && listing != end; listing.increment(error))
        entries.push_back(listing->path());
    if (error)
        return std::nullopt;
    for (const auto& entry : entries)
        if (entry.extension() == ".mlmodelc")
            return entry;
    for (const auto& entry : entries)
        if (entry.extension() == ".mlpackage")
            return entry / kPackageModelFile;
    return std::nullopt;
}

std::optional<int> getModelInputDimension(const std::shared_ptr<const Platform::CoreML::MLModel>& model,
                                          const std::string& name, int position)
{
    if (!model)
        return std::nullopt;
    return dimension(model->modelDescription().inputDescriptionsByName, name, position);
}

std::optional<int> getModelOutputDimension(const std::shared_ptr<const Platform::CoreML::MLModel>& model,
                                           const std::string& name, int position)
{
    if (!model)
        return std::nullopt;
    return dimension(model->modelDescription().outputDescriptionsByName, name, position);
}

} // namespace RuntimeCore::ModelUtilities
