#pragma once

// The break and continue signals as they leave a template expression (a macro
// or caller call, a filter block) or the whole rendering. Inside statements
// they travel as a returned Flow, so a loop ends or skips an item without
// throwing.

#include <exception>

namespace Jinja {

enum class Flow { normal, breakLoop, continueLoop };

class ControlFlow : public std::exception {
public:
    enum class Kind { breakLoop, continueLoop };

    explicit ControlFlow(Kind kind) : kind_(kind) {}

    Kind kind() const { return kind_; }
    const char* what() const noexcept override { return kind_ == Kind::breakLoop ? "break" : "continue"; }
    bool operator==(const ControlFlow& other) const { return kind_ == other.kind_; }

    // The signal a statement returned, as the exception that carries it past an expression.
    static ControlFlow from(Flow flow)
    {
        return ControlFlow(flow == Flow::breakLoop ? Kind::breakLoop : Kind::continueLoop);
    }
    Flow flow() const { return kind_ == Kind::breakLoop ? Flow::breakLoop : Flow::continueLoop; }

private:
    Kind kind_;
};

} // namespace Jinja
