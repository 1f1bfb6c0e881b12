#include "Jinja/Runtime/Nesting.h"

#include "Jinja/JinjaError.h"

#include <cstddef>
#include <pthread.h>

namespace Jinja {

namespace {

thread_local int evaluationDepth = 0;
thread_local int callDepth = 0;

// What a step may still need below the last check: a built-in's own work.
// The sanitizers' frames are several times larger.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::size_t stackReserve = 256 << 10;
#else
constexpr std::size_t stackReserve = 64 << 10;
#endif

// The lowest address this thread's stack may grow to before a step fails;
// null when the stack's bounds are unknown.
const char* stackFloor()
{
    thread_local const char* floor = []() -> const char* {
        pthread_attr_t attributes;
        if (pthread_getattr_np(pthread_self(), &attributes) != 0)
            return nullptr;
        void* lowest = nullptr;
        std::size_t size = 0;
        const bool known = pthread_attr_getstack(&attributes, &lowest, &size) == 0;
        pthread_attr_destroy(&attributes);
        if (!known || size <= stackReserve)
            return nullptr;
        return static_cast<const char*>(lowest) + stackReserve;
    }();
    return floor;
}

[[noreturn]] void failTooDeep()
{
    throw JinjaError(JinjaError::Kind::runtime, "Template nested too deeply");
}

} // namespace

NestingGuard::NestingGuard(Kind kind) : kind_(kind)
{
    int& depth = kind == Kind::call ? callDepth : evaluationDepth;
    const int bound = kind == Kind::call ? maximumCallDepth : maximumEvaluationDepth;
    if (depth >= bound)
        failTooDeep();
    const char* floor = stackFloor();
    if (floor && static_cast<const char*>(__builtin_frame_address(0)) < floor)
        failTooDeep();
    ++depth;
}

NestingGuard::~NestingGuard()
{
    --(kind_ == Kind::call ? callDepth : evaluationDepth);
}

} // namespace Jinja
