#pragma once

// Seeded hashes of syntax trees, as the ordered collections ask of their
// elements: structurally equal trees hash equally under one seed. Operators
// are hashed through their texts.

#include "Jinja/Syntax/Node.h"

#include <cstdint>

namespace Jinja {

std::int64_t seededHash(const Statement& statement, std::int64_t seed);
std::int64_t seededHash(const Node& node, std::int64_t seed);
std::int64_t seededHash(const NodeList& nodes, std::int64_t seed);

} // namespace Jinja
