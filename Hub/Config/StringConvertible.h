#pragma once

// The kinds of text a text literal can make: UTF-8 text, UTF-16 text and
// code-unit keys. Each converts to a key without losing a code unit.

#include "Hub/Config/BinaryDistinctString.h"

#include <concepts>
#include <string>

namespace Hub {

template <class T>
concept StringConvertible =
    std::same_as<T, std::string> || std::same_as<T, std::u16string> || std::same_as<T, BinaryDistinctString>;

} // namespace Hub
