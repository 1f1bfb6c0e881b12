#include "Jinja/Builtins/Globals.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Limits.h"

#include <cstdint>

namespace Jinja::Globals {

namespace {

[[noreturn]] void fail(const char* message)
{
    throw JinjaError(JinjaError::Kind::runtime, message);
}

} // namespace

Value range(std::span<const Value> arguments)
{
    if (arguments.empty() || arguments.size() > 3)
        fail("range() takes 1 to 3 arguments");
    for (const Value& argument : arguments) {
        if (!argument.isInt())
            fail(arguments.size() == 1 ? "range() stop argument must be an integer"
                                       : "range() arguments must be integers");
    }
    const std::int64_t start = arguments.size() == 1 ? 0 : arguments[0].asInt();
    const std::int64_t stop = arguments.size() == 1 ? arguments[0].asInt() : arguments[1].asInt();
    const std::int64_t step = arguments.size() == 3 ? arguments[2].asInt() : 1;
    if (step == 0)
        fail("range() step argument must not be zero");
    // Counted in 128 bits first: every value then lies between start and
    // stop, so none leaves the 64-bit range.
    const __int128 span = step > 0 ? __int128(stop) - start : __int128(start) - stop;
    const __int128 stride = step > 0 ? __int128(step) : -__int128(step);
    const __int128 count = span <= 0 ? 0 : (span + stride - 1) / stride;
    checkArrayCount(count > __int128(SIZE_MAX) ? SIZE_MAX : static_cast<std::size_t>(count));
    Array values;
    values.reserve(static_cast<std::size_t>(count));
    for (__int128 index = 0; index < count; ++index)
        values.emplace_back(static_cast<std::int64_t>(start + index * step));
    return Value(std::move(values));
}

} // namespace Jinja::Globals
