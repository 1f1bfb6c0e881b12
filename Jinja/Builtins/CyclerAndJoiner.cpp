#include "Jinja/Builtins/Globals.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/ArgumentBinding.h"

#include <mutex>

namespace Jinja::Globals {

namespace {

// Shared by the functions of one cycler() call and every copy of them; they
// may be called from several threads.
class Cycler {
public:
    explicit Cycler(Array items) : items_(std::move(items)) {}

    Value next()
    {
        const std::lock_guard lock(mutex_);
        if (items_.empty())
            return Value::null();
        Value item = items_[currentIndex_];
        currentIndex_ = (currentIndex_ + 1) % items_.size();
        return item;
    }

    void reset()
    {
        const std::lock_guard lock(mutex_);
        currentIndex_ = 0;
    }

private:
    const Array items_;
    std::mutex mutex_;
    std::size_t currentIndex_ = 0;
};

class Joiner {
public:
    explicit Joiner(String separator) : separator_(std::move(separator)) {}

    Value next()
    {
        const std::lock_guard lock(mutex_);
        if (first_) {
            first_ = false;
            return Value("");
        }
        return Value(separator_);
    }

private:
    const String separator_;
    std::mutex mutex_;
    bool first_ = true;
};

} // namespace

Value cycler(std::span<const Value> arguments)
{
    if (arguments.empty())
        throw JinjaError(JinjaError::Kind::runtime, "cycler() requires at least one argument");
    auto state = std::make_shared<Cycler>(Array(arguments.begin(), arguments.end()));
    Object members;
    members.set("current", arguments.front());
    members.set("next", Value(Function([state](auto, const auto&, const auto&) { return state->next(); })));
    members.set("reset", Value(Function([state](auto, const auto&, const auto&) {
                    state->reset();
                    return Value::null();
                })));
    return Value(std::move(members));
}

Value joiner(std::span<const Value> arguments, const KeywordArguments& keywordArguments)
{
    static const Parameter parameters[] = {{"sep", Value(", ")}};
    const Value separator = resolveCallArguments(arguments, keywordArguments, parameters)[0];
    if (!separator.isString())
        throw JinjaError(JinjaError::Kind::runtime, "joiner separator must be a string");
    auto state = std::make_shared<Joiner>(separator.asString());
    return Value(Function([state](auto, const auto&, const auto&) { return state->next(); }));
}

} // namespace Jinja::Globals
