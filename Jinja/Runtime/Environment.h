#pragma once

// One scope of template variables, linked to the scope around it. A name is
// looked up from the innermost scope outwards and reads as undefined where no
// scope holds it. A scope is shared: it lives in a std::shared_ptr, and a
// child keeps its parent alive.

#include "Jinja/Runtime/Value.h"

#include <memory>
#include <unordered_map>

namespace Jinja {

class Environment {
public:
    using Variables = std::unordered_map<String, Value>;

    // A root (no parent) also holds every global function, over any initial
    // variable of the same name; a child sees them through its root.
    static std::shared_ptr<Environment> make(std::shared_ptr<Environment> parent = nullptr, Variables initial = {});

    Environment(std::shared_ptr<Environment> parent, Variables initial);
    // Releases the ancestors that only this chain holds one after another, so
    // that freeing a long chain does not recurse once per scope.
    ~Environment();
    Environment(const Environment&) = delete;
    Environment& operator=(const Environment&) = delete;

    // This scope's value for the name, else its parent's, else undefined.
    Value operator[](const String& name) const;
    // Into this scope only; a parent's entry of the same name is shadowed, not changed.
    void set(const String& name, Value value);
    // Into the nearest scope that holds the name, or the root when none does.
    void setInChain(const String& name, Value value);

    Variables& variables() { return variables_; }
    const Variables& variables() const { return variables_; }

    // Kept for callers that set them; compiling reads its own options.
    bool lstripBlocks = false;
    bool trimBlocks = false;

private:
    const Value* find(const String& name) const;

    std::shared_ptr<Environment> parent_;
    Variables variables_;
};

} // namespace Jinja
