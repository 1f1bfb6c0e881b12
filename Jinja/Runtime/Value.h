#pragma once

// The one dynamic type of the template language: every expression, variable,
// argument and context entry is a Value. Strings, arrays, objects, functions
// and macros sit in shared storage, so copying a Value never allocates;
// arrays and objects are copied on the first change to a shared one. Arrays
// and objects carry how deeply they nest, which stays within
// maximumNestingDepth, so every walk over a value recurses only that far.

#include "Jinja/Syntax/Macro.h"
#include "Jinja/Text/String.h"
#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"
#include "Platform/JSON/JSONCoding.h"

#include <any>
#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace Jinja {

class Environment;
class Value;

using Array = std::vector<Value>;
using Object = OrderedCollections::OrderedDictionary<String, Value>;
// Keyword arguments in the order the call wrote them, so that binding reports
// the first offending one as written.
using KeywordArguments = OrderedCollections::OrderedDictionary<String, Value>;
// A built-in: the positional and keyword arguments of a call and the scope it is made in.
using Function = std::function<Value(std::span<const Value> arguments, const KeywordArguments& keywordArguments,
                                     const std::shared_ptr<Environment>& environment)>;

class Value {
public:
    struct Null {
        bool operator==(const Null&) const = default;
    };
    struct Undefined {
        bool operator==(const Undefined&) const = default;
    };

    // Null.
    Value() = default;
    explicit Value(Null) {}
    explicit Value(Undefined) : payload_(Undefined{}) {}
    explicit Value(bool value) : payload_(value) {}
    template <std::integral Integer>
    requires(!std::same_as<Integer, bool> &&
             (std::signed_integral<Integer> || sizeof(Integer) < 8)) explicit Value(Integer value)
        : payload_(static_cast<std::int64_t>(value))
    {
    }
    explicit Value(double value) : payload_(value) {}
    explicit Value(String value) : payload_(std::make_shared<const String>(std::move(value))) {}
    explicit Value(std::string value) : Value(String(std::move(value))) {}
    explicit Value(std::string_view value) : Value(String(value)) {}
    explicit Value(const char* value) : Value(String(value)) {}
    // Throw "Value nested too deeply" when the result would nest past the bound.
    explicit Value(Array elements);
    explicit Value(Object members);
    explicit Value(Function function) : payload_(std::make_shared<const Function>(std::move(function))) {}
    explicit Value(Macro macro) : payload_(std::make_shared<const Macro>(std::move(macro))) {}

    static Value null() { return Value(); }
    static Value undefined() { return Value(Undefined{}); }
    static Value array(std::initializer_list<Value> elements) { return Value(Array(elements)); }
    // Pairs written in order: a repeated key keeps its first place and takes the last value.
    static Value object(std::initializer_list<std::pair<String, Value>> pairs);

    // A host value: nothing (null), a Value, std::string, a 64-bit integer,
    // double, float, bool, a vector of std::any, a map from std::string to
    // std::any (its keys sorted), or a Macro. Anything else fails with
    // "Cannot convert value of type Optional<Any> to Jinja Value".
    static Value fromAny(const std::any& host);

    bool isBoolean() const { return payload_.index() == 0; }
    bool isInt() const { return payload_.index() == 1; }
    bool isDouble() const { return payload_.index() == 2; }
    bool isString() const { return payload_.index() == 3; }
    bool isArray() const { return payload_.index() == 4; }
    bool isObject() const { return payload_.index() == 5; }
    bool isFunction() const { return payload_.index() == 6; }
    bool isMacro() const { return payload_.index() == 7; }
    bool isNull() const { return payload_.index() == 8; }
    bool isUndefined() const { return payload_.index() == 9; }
    bool isNumeric() const { return isInt() || isDouble(); }
    bool isIterable() const { return isString() || isArray() || isObject(); }

    // The payload of the case the value has; any other case throws std::bad_variant_access.
    bool asBoolean() const { return std::get<bool>(payload_); }
    std::int64_t asInt() const { return std::get<std::int64_t>(payload_); }
    double asDouble() const { return std::get<double>(payload_); }
    // An int or a double as a double.
    double asNumber() const { return isInt() ? static_cast<double>(asInt()) : asDouble(); }
    const String& asString() const { return *std::get<StringStorage>(payload_); }
    const Array& asArray() const { return *std::get<ArrayStorage>(payload_); }
    const Object& asObject() const { return *std::get<ObjectStorage>(payload_); }
    const Function& asFunction() const { return *std::get<FunctionStorage>(payload_); }
    const Macro& asMacro() const { return *std::get<MacroStorage>(payload_); }

    // Changes to an array or object, copying shared storage first. Both throw
    // for a result past the size or nesting bounds and leave the value as it was.
    void append(Value element);
    void setMember(const String& key, Value member);

    // How many arrays and objects nest here: 0 for any other case, 1 for an
    // array or object of plain values. After a member is replaced in place it
    // may count the level the old member had.
    int depth() const { return depth_; }

    // What the language prints for the value.
    std::string description() const;
    bool isTruthy() const;
    // The language's ==: numbers by value across int and double, arrays and
    // objects element by element, never a function.
    bool isEquivalent(const Value& other) const;
    // Strict equality: the same case and equal payloads, never a function.
    friend bool operator==(const Value& first, const Value& second);
    // Strictly equal values hash equally under one seed.
    friend std::int64_t seededHash(const Value& value, std::int64_t seed);

    // JSON with object members in ascending key order; a function anywhere
    // inside throws EncodingError "Cannot encode function values".
    rapidjson::Value toJSON(Platform::JSON::Allocator& allocator) const;
    static Value fromJSON(const rapidjson::Value& json);

private:
    using StringStorage = std::shared_ptr<const String>;
    using ArrayStorage = std::shared_ptr<Array>;
    using ObjectStorage = std::shared_ptr<Object>;
    using FunctionStorage = std::shared_ptr<const Function>;
    using MacroStorage = std::shared_ptr<const Macro>;

    std::variant<bool, std::int64_t, double, StringStorage, ArrayStorage, ObjectStorage, FunctionStorage, MacroStorage,
                 Null, Undefined>
        payload_ = Null{};
    std::uint16_t depth_ = 0;
};

} // namespace Jinja
