#include "Jinja/Runtime/Nesting.h"

#include "Jinja/JinjaError.h"

namespace Jinja {

namespace {

thread_local int evaluationDepth = 0;
thread_local int callDepth = 0;

} // namespace

NestingGuard::NestingGuard(Kind kind) : kind_(kind)
{
    int& depth = kind == Kind::call ? callDepth : evaluationDepth;
    const int bound = kind == Kind::call ? maximumCallDepth : maximumEvaluationDepth;
    if (depth >= bound)
        throw JinjaError(JinjaError::Kind::runtime, "Template nested too deeply");
    ++depth;
}

NestingGuard::~NestingGuard()
{
    --(kind_ == Kind::call ? callDepth : evaluationDepth);
}

} // namespace Jinja
