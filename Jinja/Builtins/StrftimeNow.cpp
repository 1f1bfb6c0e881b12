#include "Jinja/Builtins/DatePattern.h"
#include "Jinja/Builtins/Globals.h"
#include "Jinja/JinjaError.h"
#include "Platform/Time/DateFormatting.h"

namespace Jinja::Globals {

Value strftimeNow(std::span<const Value> arguments)
{
    if (arguments.size() != 1)
        throw JinjaError(JinjaError::Kind::runtime, "strftime_now takes exactly 1 argument");
    if (!arguments[0].isString())
        throw JinjaError(JinjaError::Kind::runtime, "strftime_now format argument must be a string");
    return Value(Platform::formatDatePattern(Platform::Date::now(), datePattern(arguments[0].asString().utf8())));
}

} // namespace Jinja::Globals
