#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/PropertyMembers.h"

#include <string>

namespace Jinja::Filters {

Value memberOf(const Value& element, const Value& attribute)
{
    if (attribute.isInt()) {
        if (element.isObject()) {
            const Value* member = element.asObject().find(String(std::to_string(attribute.asInt())));
            return member ? *member : Value::undefined();
        }
        if (element.isArray() && attribute.asInt() >= 0 &&
            static_cast<std::uint64_t>(attribute.asInt()) < element.asArray().size())
            return element.asArray()[static_cast<std::size_t>(attribute.asInt())];
        return Value::undefined();
    }
    if (attribute.isString() && (element.isObject() || element.isString()))
        return PropertyMembers::evaluate(element, attribute.asString());
    return Value::undefined();
}

} // namespace Jinja::Filters
