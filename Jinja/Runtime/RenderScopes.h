#pragma once

// The scopes one rendering makes. A function value made during the rendering
// (a call block's caller) holds its scope, and a scope may hold that function
// again, directly or inside a namespace, cycler or joiner; so when the
// rendering ends, by success or error, it empties every scope it made that is
// still alive, which breaks such cycles.

#include "Jinja/Runtime/Environment.h"

#include <memory>
#include <vector>

namespace Jinja {

class RenderScopes {
public:
    // Scopes made on this thread from now until destruction belong to this rendering.
    RenderScopes();
    ~RenderScopes();
    RenderScopes(const RenderScopes&) = delete;
    RenderScopes& operator=(const RenderScopes&) = delete;

    // A new scope, owned by the current rendering on this thread when there is one.
    static std::shared_ptr<Environment> make(std::shared_ptr<Environment> parent, Environment::Variables initial = {});

private:
    void keep(const std::shared_ptr<Environment>& scope);

    std::vector<std::weak_ptr<Environment>> scopes_;
    std::size_t pruneAt_ = 64;
    RenderScopes* outer_;
};

} // namespace Jinja
