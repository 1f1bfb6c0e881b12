#include "Jinja/Runtime/RenderScopes.h"

#include <algorithm>

namespace Jinja {

namespace {

thread_local RenderScopes* current = nullptr;

} // namespace

RenderScopes::RenderScopes() : outer_(current)
{
    current = this;
}

RenderScopes::~RenderScopes()
{
    current = outer_;
    for (const std::weak_ptr<Environment>& each : scopes_) {
        if (const std::shared_ptr<Environment> scope = each.lock())
            Environment::Variables().swap(scope->variables());
    }
}

std::shared_ptr<Environment> RenderScopes::make(std::shared_ptr<Environment> parent, Environment::Variables initial)
{
    auto scope = Environment::make(std::move(parent), std::move(initial));
    if (current)
        current->keep(scope);
    return scope;
}

void RenderScopes::keep(const std::shared_ptr<Environment>& scope)
{
    // Most scopes end with their loop or call; forgetting those keeps the
    // list as long as the scopes alive, not as long as all ever made.
    if (scopes_.size() >= pruneAt_) {
        std::erase_if(scopes_, [](const std::weak_ptr<Environment>& each) { return each.expired(); });
        pruneAt_ = std::max<std::size_t>(64, scopes_.size() * 2);
    }
    scopes_.push_back(scope);
}

} // namespace Jinja
