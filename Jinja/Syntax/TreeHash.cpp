#include "Jinja/Syntax/TreeHash.h"

#include "OrderedCollections/HashTable/SeededHash.h"

#include <bit>
#include <type_traits>

namespace Jinja {

namespace {

// Feeds each part of a tree, in order, into one hasher.
class TreeHasher {
public:
    explicit TreeHasher(std::int64_t seed) : hasher_(seed) {}

    std::int64_t result() const { return hasher_.finalize(); }

    template <std::integral T>
    void feed(T value)
    {
        hasher_.combine(value);
    }
    void feed(std::string_view text) { hasher_.combine(text); }
    void feed(const String& text) { hasher_.combine(text); }
    // Zero and negative zero are equal, so they hash alike.
    void feed(double value) { feed(std::bit_cast<std::uint64_t>(value == 0 ? 0.0 : value)); }
    void feed(UnaryOp op) { feed(unaryOpTexts.name(op)); }
    void feed(BinaryOp op) { feed(binaryOpTexts.name(op)); }
    void feed(const Shared<Expression>& expression) { feed(*expression); }
    void feed(const OptionalExpression& expression)
    {
        feed(expression.has_value());
        if (expression)
            feed(**expression);
    }
    template <class T>
    void feed(const std::vector<T>& list)
    {
        feed(list.size());
        for (const T& element : list)
            feed(element);
    }
    void feed(const ExpressionDictionary& entries)
    {
        feed(entries.size());
        for (const auto& [name, expression] : entries) {
            feed(name);
            feed(expression);
        }
    }

    void feed(const Expression& expression)
    {
        feed(expression.value.index());
        std::visit([this](const auto& node) { feedCase(node); }, expression.value);
    }
    void feed(const Statement& statement)
    {
        feed(statement.value.index());
        std::visit([this](const auto& node) { feedCase(node); }, statement.value);
    }
    void feed(const Node& node)
    {
        feed(node.value.index());
        std::visit(
            [this](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, TextNode> || std::is_same_v<T, CommentNode>)
                    feed(value.text);
                else
                    feed(value);
            },
            node.value);
    }

private:
    void feedCase(const StringLiteral& literal) { feed(literal.value); }
    void feedCase(const NumberLiteral& literal) { feed(literal.value); }
    void feedCase(const IntegerLiteral& literal) { feed(literal.value); }
    void feedCase(const BooleanLiteral& literal) { feed(literal.value); }
    void feedCase(const NullLiteral&) {}
    void feedCase(const ArrayLiteral& literal) { feed(literal.elements); }
    void feedCase(const TupleLiteral& literal) { feed(literal.elements); }
    void feedCase(const ObjectLiteral& literal) { feed(literal.entries); }
    void feedCase(const Identifier& identifier) { feed(identifier.name); }
    void feedCase(const UnaryExpression& unary)
    {
        feed(unary.op);
        feed(unary.operand);
    }
    void feedCase(const BinaryExpression& binary)
    {
        feed(binary.op);
        feed(binary.left);
        feed(binary.right);
    }
    void feedCase(const TernaryExpression& ternary)
    {
        feed(ternary.value);
        feed(ternary.test);
        feed(ternary.alternate);
    }
    void feedCase(const CallExpression& call)
    {
        feed(call.callee);
        feed(call.arguments);
        feed(call.keywordArguments);
    }
    void feedCase(const MemberExpression& member)
    {
        feed(member.object);
        feed(member.property);
        feed(member.computed);
    }
    void feedCase(const SliceExpression& slice)
    {
        feed(slice.object);
        feed(slice.start);
        feed(slice.stop);
        feed(slice.step);
    }
    void feedCase(const FilterExpression& filter)
    {
        feed(filter.operand);
        feed(filter.name);
        feed(filter.arguments);
        feed(filter.keywordArguments);
    }
    void feedCase(const TestExpression& test)
    {
        feed(test.operand);
        feed(test.name);
        feed(test.arguments);
        feed(test.negated);
    }

    void feedCase(const ProgramStatement& program) { feed(program.body); }
    void feedCase(const SetStatement& set)
    {
        feed(set.target);
        feed(set.value);
        feed(set.body);
    }
    void feedCase(const IfStatement& ifStatement)
    {
        feed(ifStatement.test);
        feed(ifStatement.body);
        feed(ifStatement.alternate);
    }
    void feedCase(const ForStatement& loop)
    {
        feed(loop.variable.names);
        feed(loop.iterable);
        feed(loop.body);
        feed(loop.elseBody);
        feed(loop.test);
    }
    void feedCase(const MacroStatement& macro)
    {
        feed(macro.name);
        feed(macro.parameters);
        feed(macro.defaults);
        feed(macro.body);
    }
    void feedCase(const BreakStatement&) {}
    void feedCase(const ContinueStatement&) {}
    void feedCase(const CallStatement& call)
    {
        feed(call.callable);
        feed(call.callerArguments.has_value());
        if (call.callerArguments)
            feed(*call.callerArguments);
        feed(call.body);
    }
    void feedCase(const FilterStatement& filter)
    {
        feed(filter.filter);
        feed(filter.body);
    }
    void feedCase(const GenerationStatement& generation) { feed(generation.body); }

    OrderedCollections::Hasher hasher_;
};

template <class T>
std::int64_t hashOf(const T& tree, std::int64_t seed)
{
    TreeHasher hasher(seed);
    hasher.feed(tree);
    return hasher.result();
}

} // namespace

std::int64_t seededHash(const Expression& expression, std::int64_t seed)
{
    return hashOf(expression, seed);
}
std::int64_t seededHash(const Statement& statement, std::int64_t seed)
{
    return hashOf(statement, seed);
}
std::int64_t seededHash(const Node& node, std::int64_t seed)
{
    return hashOf(node, seed);
}
std::int64_t seededHash(const NodeList& nodes, std::int64_t seed)
{
    return hashOf(nodes, seed);
}

} // namespace Jinja
