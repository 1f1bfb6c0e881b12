#include "Jinja/Runtime/Limits.h"

#include "Jinja/JinjaError.h"

namespace Jinja {

void checkStringSize(std::size_t bytes)
{
    if (bytes > maximumStringBytes)
        throw JinjaError(JinjaError::Kind::runtime, "Result too large");
}

void checkArrayCount(std::size_t count)
{
    if (count > maximumArrayCount)
        throw JinjaError(JinjaError::Kind::runtime, "Result too large");
}

void checkNestingDepth(int depth)
{
    if (depth > maximumNestingDepth)
        throw JinjaError(JinjaError::Kind::runtime, "Value nested too deeply");
}

} // namespace Jinja
