#include "RadozodEri/Core/Constants.h"

#include "Platform/ML/Whisper/WhisperLanguages.h"

namespace RadozodEri {

const std::unordered_map<std::string, std::string>& Constants::languages()
{
    static const auto table = [] {
        std::unordered_map<std::string, std::string> namesToCodes;
        for (const Platform::ML::WhisperLanguage& language : Platform::ML::whisperLanguages())
            for (std::string_view name : language.names)
                if (!name.empty())
                    namesToCodes.emplace(name, language.code);
        return namesToCodes;
    }();
    return table;
}

const std::unordered_set<std::string>& Constants::languageCodes()
{
    static const auto codes = [] {
        std::unordered_set<std::string> distinct;
        for (const auto& [name, code] : languages())
            distinct.insert(code);
        return distinct;
    }();
    return codes;
}

} // namespace RadozodEri
