#pragma once

// Building the configurable stages of a tokenizer (normalizers,
// pre-tokenizers, decoders, post-processors) from a tokenizer file's objects:
// each family maps its "type" names to constructors in one table, and a fault
// names where in the file it lies.

#include "Hub/Config/Config.h"
#include "Tokenizers/ConfigurationError.h"

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Tokenizers {

// Runs `build` and puts `component` in front of the key path of its fault.
template <class Build>
auto buildingAt(const std::string& component, Build&& build) -> decltype(build())
{
    try {
        return std::forward<Build>(build)();
    } catch (const ConfigurationError& error) {
        throw error.inside(component);
    }
}

template <class Stage, class... Extra>
using StageConstructor = std::unique_ptr<Stage> (*)(const Hub::Config&, Extra...);

// The constructor of a member that needs only its configuration.
template <class Stage, class Member, class... Extra>
std::unique_ptr<Stage> construct(const Hub::Config& config, Extra...)
{
    return std::make_unique<Member>(config);
}

template <class Stage, class... Extra>
using StageTable = std::vector<std::pair<std::string_view, StageConstructor<Stage, Extra...>>>;

// The stage that the object's "type" names: none without a "type" text, and
// the fault "Unsupported <family> type: <name>" for a name outside the table.
template <class Stage, class... Extra>
std::unique_ptr<Stage> buildStage(const Hub::Config& config, const StageTable<Stage, Extra...>& table,
                                  std::string_view family, Extra... extra)
{
    const std::optional<std::string> type = config.member("type").string();
    if (!type)
        return nullptr;
    for (const auto& [name, make] : table)
        if (name == *type)
            return make(config, extra...);
    throw ConfigurationError("Unsupported " + std::string(family) + " type: " + *type, {"type"});
}

// The stages of the array under `key`, in order, leaving out elements that
// name no type; the fault `missingMessage` when there is no array.
template <class Stage, class Build>
std::vector<std::unique_ptr<Stage>> buildSequence(const Hub::Config& config, const char* key,
                                                  const std::string& missingMessage, Build&& build)
{
    const std::optional<Hub::Config::Array> elements = config.member(key).array();
    if (!elements)
        throw ConfigurationError(missingMessage, {key});
    std::vector<std::unique_ptr<Stage>> stages;
    for (std::size_t index = 0; index < elements->size(); ++index)
        if (std::unique_ptr<Stage> stage = buildingAt(
                key, [&] { return buildingAt(std::to_string(index), [&] { return build((*elements)[index]); }); }))
            stages.push_back(std::move(stage));
    return stages;
}

// A special token's text: the text itself, or a dictionary's text "content".
std::optional<std::string> tokenContent(const Hub::Config& value);

// A token id: an integer within the range of ids. Anything else, larger
// integers included, is no id.
std::optional<int> tokenId(const Hub::Config& value);

} // namespace Tokenizers
