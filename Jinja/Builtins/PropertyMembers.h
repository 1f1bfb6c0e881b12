#pragma once

// What `value.name` means for strings and objects: a method bound to a copy
// of the value (`text.upper()`, `obj.items()`), or an object's entry. Methods
// hide entries of the same name. Lookup never throws; calling a method may.

#include "Jinja/Runtime/Value.h"

namespace Jinja::PropertyMembers {

// A string's or object's member; undefined for any other value or an unknown name.
// The name is the template's own identifier, so finding an entry makes no new key.
Value evaluate(const Value& value, const String& name);
// upper, lower, title, strip, lstrip, rstrip, split, replace, startswith, endswith.
Value evaluateStringProperty(const Value& text, const String& name);
// items, get, keys and values, else the entry under `name`.
Value evaluateObjectProperty(const Value& object, const String& name);

} // namespace Jinja::PropertyMembers
