#pragma once

#include "Hub/Api/DefaultEndpoint.h"
#include "RadozodEri/Core/ModelSupport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace RadozodEri {

// The engine's shared fixed values. Collections are built once, on first use,
// and only read afterwards, from any thread.
struct Constants {
    // The most token positions a decoding window may use.
    static constexpr std::int64_t maxTokenContext = 224;
    // Samples of one model window: 30 s at 16000 Hz.
    static constexpr std::int64_t defaultWindowSamples = 480000;
    // The most frames read at once when loading an audio file.
    static constexpr std::uint32_t defaultAudioReadFrameSize = 1323000;
    static constexpr std::string_view defaultLanguageCode = "en";
    // Punctuation that word timings attach to the following word: " ' “ ¡ ¿ ( [ { -
    static constexpr std::string_view defaultPrependPunctuations = "\"'\u201c\u00a1\u00bf([{-";
    // Punctuation attached to the preceding word: " ' . 。 , ， ! ！ ? ？ : ： ” ) ] } 、
    static constexpr std::string_view defaultAppendPunctuations =
        "\"'.\u3002,\uff0c!\uff01?\uff1f:\uff1a\u201d)]}\u3001";
    // The model-support table file of a model repository.
    static constexpr std::string_view defaultRemoteConfigName = "config.json";
    // The model hub's base URL, the hub client's own default.
    static constexpr std::string_view defaultRemoteEndpoint = Hub::defaultEndpoint;
    // Characters that frame a special token's text, as in "<|en|>".
    static constexpr std::string_view specialTokenCharacters = "<|>";

    // Lower-case English language names to language codes, other names a
    // language goes by included ("burmese" and "myanmar" are both "my").
    static const std::unordered_map<std::string, std::string>& languages();
    // The distinct codes of `languages`.
    static const std::unordered_set<std::string>& languageCodes();

    // The built-in model-support table, used when a repository has none.
    static ModelSupportConfig fallbackModelSupportConfig();
    // Every model the built-in table's rows support, in order of first appearance.
    static const std::vector<std::string>& knownModels();
};

} // namespace RadozodEri
