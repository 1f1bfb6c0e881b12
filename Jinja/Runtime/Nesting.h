#pragma once

// How deeply the rendering on this thread has nested, so that a macro calling
// itself, or deep expressions inside such calls, fail with "Template nested
// too deeply" before they overflow the stack. Renderings on other threads
// keep counts of their own.

namespace Jinja {

inline constexpr int maximumCallDepth = 256;
// Evaluation steps: each expression and statement inside another.
inline constexpr int maximumEvaluationDepth = 2048;

class NestingGuard {
public:
    enum class Kind { evaluation, call };

    // Throws a runtime JinjaError when the step would pass its bound, or when
    // the thread's stack is nearly used up: a caller's worker thread may have
    // a small stack, where even the bounds above would not fit.
    explicit NestingGuard(Kind kind);
    ~NestingGuard();
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    Kind kind_;
};

} // namespace Jinja
