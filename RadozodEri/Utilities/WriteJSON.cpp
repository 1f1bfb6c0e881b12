#include "RadozodEri/Utilities/ResultWriters.h"

#include "Platform/JSON/JSONDocument.h"

namespace RadozodEri {

WriteResult WriteJSON::write(const TranscriptionResult& result, const std::string& file,
                             const std::optional<std::map<std::string, std::any>>&) const
{
    std::string text;
    try {
        rapidjson::Document document;
        text = Platform::JSON::serialize(result.toJSON(document.GetAllocator()), {.indented = true});
    } catch (...) {
        return std::current_exception();
    }
    return writeFile(file, ".json", text);
}

} // namespace RadozodEri
