#include "Platform/CoreML/Folder/ModelFolder.h"

#include "Platform/CoreML/Folder/CheckedJSON.h"
#include "Platform/CoreML/MLModelError.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONDocument.h"

#include <exception>
#include <new>

namespace Platform::CoreML {
namespace {

// Far larger than any description; a bigger file is not one.
constexpr std::uint64_t kMaxDescriptionBytes = 16 << 20;

ModelManifest readManifest(const std::filesystem::path& folder)
{
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        throw MLModelError("it is not a folder");
    const auto file = folder / kModelDescriptionFile;
    if (!std::filesystem::exists(file, error))
        throw MLModelError("it has no " + std::string(kModelDescriptionFile)
                           + ", so it is not a model folder in this runtime's format (models compiled for other "
                             "runtimes cannot be loaded)");
    std::string text;
    try {
        const RegularFile description(file);
        if (description.size() > kMaxDescriptionBytes)
            throw MLModelError(std::string(kModelDescriptionFile) + " is too large to be a model description");
        text = description.readAll();
    } catch (const FileReadError& failure) {
        std::throw_with_nested(MLModelError(failure.what()));
    }
    try {
        return ModelManifest::fromJSON(JSON::parseDocument(text));
    } catch (const JSON::ParseError& failure) {
        std::throw_with_nested(MLModelError(std::string(kModelDescriptionFile) + " is not JSON: " + failure.what()));
    } catch (const JSON::DecodingError& failure) {
        std::throw_with_nested(
            MLModelError(std::string(kModelDescriptionFile) + ": " + CheckedJSON::modelErrorText(failure)));
    }
}

std::map<std::string, MLFeatureDescription> byName(const std::vector<MLFeatureDescription>& features)
{
    std::map<std::string, MLFeatureDescription> map;
    for (const auto& feature : features)
        map.emplace(feature.name, feature);
    return map;
}

} // namespace

void WeightTensor::requireElementType(MLMultiArrayDataType type) const
{
    if (type != dataType)
        throw MLModelError("A weight of " + std::string(multiArrayDataTypeNames.name(dataType)) + " read as "
                           + std::string(multiArrayDataTypeNames.name(type)));
}

ModelFolder::ModelFolder(const std::filesystem::path& path)
    : path_(path), manifest_(readManifest(path)), description_{byName(manifest_.inputs), byName(manifest_.outputs)}
{
    try {
        const RegularFile file(path / kModelWeightsFile);
        weightsBytes_ = static_cast<std::size_t>(file.size());
        weightsFile_ = allocateLargeBuffer(weightsBytes_);
        file.readExactly(weightsFile_.get(), weightsBytes_, 0);
    } catch (const FileReadError& failure) {
        std::throw_with_nested(MLModelError(failure.what()));
    } catch (const std::bad_alloc&) {
        throw MLModelError("the weights in " + std::string(kModelWeightsFile) + " are too large to hold in memory");
    }
    const std::span<const std::byte> file(weightsFile_.get(), weightsBytes_);
    for (const auto& entry : manifest_.weights) {
        // The description's limits keep count × size and offset + bytes in range.
        std::int64_t count = 1;
        for (std::int64_t extent : entry.shape)
            count *= extent;
        const auto bytes = static_cast<std::uint64_t>(count) * elementSize(entry.dataType);
        const auto offset = static_cast<std::uint64_t>(entry.offset);
        if (offset > file.size() || bytes > file.size() - offset)
            throw MLModelError("weight '" + entry.name + "' (" + std::to_string(bytes) + " bytes at offset "
                               + std::to_string(offset) + ") lies past the end of " + std::string(kModelWeightsFile)
                               + " (" + std::to_string(file.size()) + " bytes)");
        weights_.emplace(entry.name, WeightTensor{entry.dataType, entry.shape, file.subspan(offset, bytes)});
    }
}

const WeightTensor* ModelFolder::weight(const std::string& name) const
{
    const auto found = weights_.find(name);
    return found == weights_.end() ? nullptr : &found->second;
}

} // namespace Platform::CoreML
