#pragma once

// What `value.name` means for strings and objects: a method bound to a copy
// of the value (`text.upper()`, `obj.items()`), or an object's entry. Methods
// hide entries of the same name. Lookup never throws; calling a method may.

#include "Jinja/Runtime/Value.h"

#include <string_view>

namespace Jinja::PropertyMembers {

// A string's or object's member; undefined for any other value or an unknown name.
Value evaluate(const Value& value, std::string_view name);
// upper, lower, title, strip, lstrip, rstrip, split, replace, startswith, endswith.
Value evaluateStringProperty(const Value& text, std::string_view name);
// items, get, keys and values, else the entry under `name`.
Value evaluateObjectProperty(const Value& object, std::string_view name);

} // namespace Jinja::PropertyMembers
