#pragma once

// Seeded hashes of syntax trees: structurally equal trees hash equally for the
// same seed. Operators are hashed through their texts.

#include "Jinja/Syntax/Node.h"

#include <cstddef>

namespace Jinja {

std::size_t hashValue(const Expression& expression, std::size_t seed);
std::size_t hashValue(const NodeList& nodes, std::size_t seed);

} // namespace Jinja
