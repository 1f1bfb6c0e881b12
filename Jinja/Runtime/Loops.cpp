#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/RenderScopes.h"
#include "Jinja/Runtime/Walk.h"
#include "Jinja/Text/Characters.h"

namespace Jinja::Interpreter::detail {

namespace {

// The names of the loop object's entries, made once so that each item only
// replaces values.
struct LoopKeys {
    const String loop = "loop";
    const String index = "index";
    const String index0 = "index0";
    const String first = "first";
    const String last = "last";
    const String length = "length";
    const String revindex = "revindex";
    const String revindex0 = "revindex0";
    const String cycle = "cycle";
};

const LoopKeys& loopKeys()
{
    static const LoopKeys keys;
    return keys;
}

Value cycleFunction(std::int64_t index)
{
    return Value(Function([index](std::span<const Value> arguments, const KeywordArguments&, const Scope&) {
        if (arguments.empty())
            return Value("");
        return arguments[static_cast<std::size_t>(index) % arguments.size()];
    }));
}

// Whether `slot` holds a loop object, as the previous item left it unless
// the body set `loop` to something else.
bool isLoopObject(const Value& slot)
{
    if (!slot.isObject() || slot.asObject().size() != 8)
        return false;
    const LoopKeys& keys = loopKeys();
    const String* names[] = {&keys.index,  &keys.index0,   &keys.first,     &keys.last,
                             &keys.length, &keys.revindex, &keys.revindex0, &keys.cycle};
    const auto& written = slot.asObject().keys();
    for (std::size_t position = 0; position < 8; ++position) {
        if (!(written[static_cast<std::ptrdiff_t>(position)] == *names[position]))
            return false;
    }
    return true;
}

// Writes the loop object for item `index` of `count` into `slot`. The
// previous item's object changes in place (copied first only if the template
// kept a copy of it), so an item costs one small allocation: its cycle
// function.
void updateLoopObject(Value& slot, std::int64_t index, std::int64_t count)
{
    const LoopKeys& keys = loopKeys();
    if (!isLoopObject(slot))
        slot = Value(Object());
    slot.setMember(keys.index, Value(index + 1));
    slot.setMember(keys.index0, Value(index));
    slot.setMember(keys.first, Value(index == 0));
    slot.setMember(keys.last, Value(index + 1 == count));
    slot.setMember(keys.length, Value(count));
    slot.setMember(keys.revindex, Value(count - index));
    slot.setMember(keys.revindex0, Value(count - index - 1));
    slot.setMember(keys.cycle, cycleFunction(index));
}

// The loop's items; for an object, its keys, with the values beside them in `values`.
Array itemsOf(const Value& iterable, Array& values)
{
    if (iterable.isArray())
        return iterable.asArray();
    Array items;
    if (iterable.isObject()) {
        const Object& object = iterable.asObject();
        items.reserve(object.size());
        values.reserve(object.size());
        for (const auto& [key, value] : object) {
            items.emplace_back(key);
            values.push_back(value);
        }
        return items;
    }
    if (iterable.isString()) {
        const Characters characters(iterable.asString().utf8());
        items.reserve(characters.size());
        for (std::size_t index = 0; index < characters.size(); ++index)
            items.emplace_back(characters[index]);
        return items;
    }
    throw JinjaError(JinjaError::Kind::runtime, "Cannot iterate over non-iterable value");
}

void bindItem(const LoopVariable& variable, const Array& items, const Array& values, std::size_t index, bool fromArray,
              Environment& scope)
{
    const Value& item = items[index];
    if (!variable.isTuple()) {
        scope.set(variable.names.front(), item);
        return;
    }
    if (fromArray) {
        if (!item.isArray())
            return;
        const Array& parts = item.asArray();
        for (std::size_t name = 0; name < variable.names.size(); ++name)
            scope.set(variable.names[name], name < parts.size() ? parts[name] : Value::undefined());
        return;
    }
    // An object's key and value, or a string's character.
    for (std::size_t name = 0; name < variable.names.size(); ++name) {
        Value bound = name == 0 ? item : name == 1 && !values.empty() ? values[index] : Value::undefined();
        scope.set(variable.names[name], std::move(bound));
    }
}

} // namespace

Flow executeFor(const ForStatement& loop, const Scope& scope, std::string& output)
{
    const Value iterable = evaluateExpression(*loop.iterable, scope);
    Array values;
    const Array items = itemsOf(iterable, values);
    if (items.empty())
        return walk(loop.elseBody, scope, output);
    const Scope loopScope = RenderScopes::make(scope);
    const std::int64_t count = static_cast<std::int64_t>(items.size());
    Value& loopObject = loopScope->variables()[loopKeys().loop];
    for (std::size_t index = 0; index < items.size(); ++index) {
        bindItem(loop.variable, items, values, index, iterable.isArray(), *loopScope);
        updateLoopObject(loopObject, static_cast<std::int64_t>(index), count);
        if (loop.test && !evaluateExpression(**loop.test, loopScope).isTruthy())
            continue;
        Flow flow;
        try {
            flow = walk(loop.body, loopScope, output);
        } catch (const ControlFlow& signal) {
            flow = signal.flow();
        }
        if (flow == Flow::breakLoop)
            break;
    }
    return Flow::normal;
}

} // namespace Jinja::Interpreter::detail
