#pragma once

// The expressions of a template's syntax tree: one case struct per kind of
// expression, children in shared immutable storage. Equality is structural.

#include "Jinja/Syntax/Operators.h"
#include "Jinja/Syntax/Shared.h"
#include "Jinja/Text/String.h"
#include "OrderedCollections/OrderedDictionary/OrderedDictionary.h"

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace Jinja {

struct Expression;

using ExpressionList = std::vector<Expression>;
using OptionalExpression = std::optional<Shared<Expression>>;
// Expressions by name in the order the names were first written; writing a
// name again replaces its expression in place. Object literals, macro
// defaults and keyword arguments: binding reports the first offending keyword
// argument as written.
using ExpressionDictionary = OrderedCollections::OrderedDictionary<String, Expression>;

struct StringLiteral {
    String value;
    bool operator==(const StringLiteral&) const = default;
};

// A literal with a point.
struct NumberLiteral {
    double value;
    bool operator==(const NumberLiteral&) const = default;
};

struct IntegerLiteral {
    std::int64_t value;
    bool operator==(const IntegerLiteral&) const = default;
};

struct BooleanLiteral {
    bool value;
    bool operator==(const BooleanLiteral&) const = default;
};

struct NullLiteral {
    bool operator==(const NullLiteral&) const = default;
};

struct ArrayLiteral {
    ExpressionList elements;
    bool operator==(const ArrayLiteral&) const = default;
};

struct TupleLiteral {
    ExpressionList elements;
    bool operator==(const TupleLiteral&) const = default;
};

// A repeated key keeps its first position and takes the last value.
struct ObjectLiteral {
    ExpressionDictionary entries;
    bool operator==(const ObjectLiteral&) const = default;
};

struct Identifier {
    String name;
    bool operator==(const Identifier&) const = default;
};

struct UnaryExpression {
    UnaryOp op;
    Shared<Expression> operand;
    bool operator==(const UnaryExpression&) const = default;
};

struct BinaryExpression {
    BinaryOp op;
    Shared<Expression> left;
    Shared<Expression> right;
    bool operator==(const BinaryExpression&) const = default;
};

// `value if test else alternate`, the alternate absent without an else.
struct TernaryExpression {
    Shared<Expression> value;
    Shared<Expression> test;
    OptionalExpression alternate;
    bool operator==(const TernaryExpression&) const = default;
};

struct CallExpression {
    Shared<Expression> callee;
    ExpressionList arguments;
    ExpressionDictionary keywordArguments;
    bool operator==(const CallExpression&) const = default;
};

// `a.b` (the identifier b, not computed) or `a[i]` (computed).
struct MemberExpression {
    Shared<Expression> object;
    Shared<Expression> property;
    bool computed;
    bool operator==(const MemberExpression&) const = default;
};

struct SliceExpression {
    Shared<Expression> object;
    OptionalExpression start;
    OptionalExpression stop;
    OptionalExpression step;
    bool operator==(const SliceExpression&) const = default;
};

struct FilterExpression {
    Shared<Expression> operand;
    String name;
    ExpressionList arguments;
    ExpressionDictionary keywordArguments;
    bool operator==(const FilterExpression&) const = default;
};

struct TestExpression {
    Shared<Expression> operand;
    String name;
    ExpressionList arguments;
    bool negated;
    bool operator==(const TestExpression&) const = default;
};

struct Expression {
    using Case =
        std::variant<StringLiteral, NumberLiteral, IntegerLiteral, BooleanLiteral, NullLiteral, ArrayLiteral,
                     TupleLiteral, ObjectLiteral, Identifier, UnaryExpression, BinaryExpression, TernaryExpression,
                     CallExpression, MemberExpression, SliceExpression, FilterExpression, TestExpression>;

    template <class T>
    requires isCaseOf<std::remove_cvref_t<T>, Case> Expression(T&& value) : value(std::forward<T>(value)) {}

    Case value;
    bool operator==(const Expression&) const = default;
};

// Structurally equal expressions hash equally under one seed.
std::int64_t seededHash(const Expression& expression, std::int64_t seed);

} // namespace Jinja
