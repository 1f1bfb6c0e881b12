#pragma once

// Configuration values from general JSON object trees, as code that reads a
// file into a tree first hands them over. Unlike the coder's reading, a tree
// knows no Booleans apart from numbers: true and false become the integers 1
// and 0, and every integral number within 64 bits an integer, even 2.0.

#include "Hub/Config/Config.h"

#include <rapidjson/document.h>

namespace Hub {

// Objects become dictionaries keyed by their members' UTF-16 code units,
// arrays arrays, strings texts, other numbers (and integers beyond 64 bits)
// 32-bit floats. Recurses with the tree's depth, which the JSON reader
// limits.
Config configFromObjectTree(const rapidjson::Value& tree);

} // namespace Hub
