#pragma once

// What a macro definition makes: its name, parameters, the defaults of those
// that have one, and its body. A value: copies share the tree, which never
// changes.

#include "Jinja/Syntax/Node.h"
#include "Platform/JSON/JSONCoding.h"

#include <cstdint>
#include <vector>

namespace Jinja {

struct Macro {
    String name;
    std::vector<String> parameters;
    // In the order written.
    ExpressionDictionary defaults;
    NodeList body;

    bool operator==(const Macro&) const = default;

    // Keys "name", "parameters", "defaults" (an object from parameter name to
    // the dump of its default) and "body" (the dump of each node). Decoding
    // puts the defaults in ascending order of their names, since an object's
    // members keep no order.
    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static Macro fromJSON(const rapidjson::Value& json);
};

// Feeds the name, the parameter count and names, the defaults and the body.
std::int64_t seededHash(const Macro& macro, std::int64_t seed);

} // namespace Jinja
