#include "tools/ModelFolder/ModelFolderBuilder.h"

#include "Platform/Files/AtomicWrite.h"
#include "Platform/JSON/JSONDocument.h"

namespace QelTools {

using namespace Platform::CoreML;

void ModelFolderBuilder::addWeight(std::string name, MLMultiArrayDataType dataType, std::vector<std::int64_t> shape,
                                   std::span<const std::byte> bytes)
{
    constexpr size_t alignment = 64;
    weights_.resize((weights_.size() + alignment - 1) / alignment * alignment, '\0');
    manifest_.weights.push_back({std::move(name), dataType, std::move(shape), static_cast<std::int64_t>(weights_.size())});
    weights_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void ModelFolderBuilder::write(const std::filesystem::path& folder) const
{
    rapidjson::Document document;
    const std::string description = Platform::JSON::serialize(manifest_.toJSON(document.GetAllocator()));
    Platform::replaceFolderAtomically(folder, [&](const std::filesystem::path& staging) {
        Platform::writeFileAtomically(staging / kModelDescriptionFile, description);
        Platform::writeFileAtomically(staging / kModelWeightsFile, weights_);
    });
}

} // namespace QelTools
