#pragma once

// The statements and nodes of a template's syntax tree. A compiled template is
// a list of nodes: text, an expression to print, a statement or a comment.

#include "Jinja/Syntax/Expression.h"

#include <optional>
#include <variant>
#include <vector>

namespace Jinja {

struct Node;
using NodeList = std::vector<Node>;

struct ProgramStatement {
    NodeList body;
    bool operator==(const ProgramStatement&) const = default;
};

// `set target = value` (no body), or `set target` with a body and no value.
struct SetStatement {
    Shared<Expression> target;
    OptionalExpression value;
    NodeList body;
    bool operator==(const SetStatement&) const = default;
};

// An elif chain nests: the alternate holds one node, the next if statement.
struct IfStatement {
    Shared<Expression> test;
    NodeList body;
    NodeList alternate;
    bool operator==(const IfStatement&) const = default;
};

// One name, or two or more unpacked from each item.
struct LoopVariable {
    std::vector<String> names;
    bool isTuple() const { return names.size() > 1; }
    bool operator==(const LoopVariable&) const = default;
};

struct ForStatement {
    LoopVariable variable;
    Shared<Expression> iterable;
    NodeList body;
    NodeList elseBody;
    OptionalExpression test;
    bool operator==(const ForStatement&) const = default;
};

struct MacroStatement {
    String name;
    std::vector<String> parameters;
    // The parameters that have a default, in the order written.
    ExpressionDictionary defaults;
    NodeList body;
    bool operator==(const MacroStatement&) const = default;
};

struct BreakStatement {
    bool operator==(const BreakStatement&) const = default;
};

struct ContinueStatement {
    bool operator==(const ContinueStatement&) const = default;
};

// `call(args) callable`: the caller arguments are absent without parentheses.
struct CallStatement {
    Shared<Expression> callable;
    std::optional<ExpressionList> callerArguments;
    NodeList body;
    bool operator==(const CallStatement&) const = default;
};

struct FilterStatement {
    Shared<Expression> filter;
    NodeList body;
    bool operator==(const FilterStatement&) const = default;
};

struct GenerationStatement {
    NodeList body;
    bool operator==(const GenerationStatement&) const = default;
};

struct Statement {
    using Case = std::variant<ProgramStatement, SetStatement, IfStatement, ForStatement, MacroStatement, BreakStatement,
                              ContinueStatement, CallStatement, FilterStatement, GenerationStatement>;

    template <class T>
    requires isCaseOf<std::remove_cvref_t<T>, Case> Statement(T&& value) : value(std::forward<T>(value)) {}

    Case value;
    bool operator==(const Statement&) const = default;
};

struct TextNode {
    String text;
    bool operator==(const TextNode&) const = default;
};

// The text between the delimiters.
struct CommentNode {
    String text;
    bool operator==(const CommentNode&) const = default;
};

struct Node {
    using Case = std::variant<TextNode, Expression, Statement, CommentNode>;

    template <class T>
    requires isCaseOf<std::remove_cvref_t<T>, Case> Node(T&& value) : value(std::forward<T>(value)) {}

    Case value;
    bool operator==(const Node&) const = default;
};

} // namespace Jinja
