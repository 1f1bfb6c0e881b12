#include "Jinja/Runtime/Environment.h"

#include "Jinja/Builtins/Globals.h"

namespace Jinja {

std::shared_ptr<Environment> Environment::make(std::shared_ptr<Environment> parent, Variables initial)
{
    return std::make_shared<Environment>(std::move(parent), std::move(initial));
}

Environment::Environment(std::shared_ptr<Environment> parent, Variables initial)
    : parent_(std::move(parent)), variables_(std::move(initial))
{
    if (!parent_) {
        for (const auto& [name, function] : Globals::builtIn())
            variables_.insert_or_assign(name, function);
    }
}

Environment::~Environment()
{
    variables_.clear();
    std::shared_ptr<Environment> ancestor = std::move(parent_);
    while (ancestor && ancestor.use_count() == 1) {
        std::shared_ptr<Environment> next = std::move(ancestor->parent_);
        ancestor.reset();
        ancestor = std::move(next);
    }
}

const Value* Environment::find(const String& name) const
{
    for (const Environment* scope = this; scope; scope = scope->parent_.get()) {
        const auto found = scope->variables_.find(name);
        if (found != scope->variables_.end())
            return &found->second;
    }
    return nullptr;
}

Value Environment::operator[](const String& name) const
{
    const Value* value = find(name);
    return value ? *value : Value::undefined();
}

void Environment::set(const String& name, Value value)
{
    variables_.insert_or_assign(name, std::move(value));
}

void Environment::setInChain(const String& name, Value value)
{
    Environment* scope = this;
    while (true) {
        const auto found = scope->variables_.find(name);
        if (found != scope->variables_.end()) {
            found->second = std::move(value);
            return;
        }
        if (!scope->parent_)
            break;
        scope = scope->parent_.get();
    }
    scope->variables_.insert_or_assign(name, std::move(value));
}

} // namespace Jinja
