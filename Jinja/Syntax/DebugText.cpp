#include "Jinja/Syntax/DebugText.h"

#include <charconv>
#include <initializer_list>
#include <string_view>
#include <type_traits>

namespace Jinja {

namespace {

// A string literal as a template writes it, so that the dump reads back.
std::string quoted(const String& text)
{
    std::string result = "\"";
    for (char c : text.utf8()) {
        switch (c) {
        case '\n': result += "\\n"; break;
        case '\r': result += "\\r"; break;
        case '\t': result += "\\t"; break;
        case '"': result += "\\\""; break;
        case '\\': result += "\\\\"; break;
        default: result += c;
        }
    }
    return result + "\"";
}

// The shortest text without an exponent that reads back as the same number,
// always with a point, as a template writes it.
std::string numberText(double value)
{
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, end);
    if (text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

// The pieces one after another.
std::string parts(std::initializer_list<std::string_view> pieces)
{
    std::string text;
    for (std::string_view piece : pieces)
        text += piece;
    return text;
}

std::string joined(const ExpressionList& expressions)
{
    std::string text;
    for (const Expression& expression : expressions)
        text += (text.empty() ? "" : ", ") + debugText(expression);
    return text;
}

std::string argumentsText(const ExpressionList& arguments, const ExpressionDictionary& keywordArguments)
{
    std::string text = joined(arguments);
    for (const auto& [name, value] : keywordArguments)
        text += (text.empty() ? "" : ", ") + name.utf8() + "=" + debugText(value);
    return text;
}

std::string caseText(const StringLiteral& literal)
{
    return quoted(literal.value);
}
std::string caseText(const NumberLiteral& literal)
{
    return numberText(literal.value);
}
std::string caseText(const IntegerLiteral& literal)
{
    return std::to_string(literal.value);
}
std::string caseText(const BooleanLiteral& literal)
{
    return literal.value ? "true" : "false";
}
std::string caseText(const NullLiteral&)
{
    return "null";
}
std::string caseText(const ArrayLiteral& literal)
{
    return parts({"[", joined(literal.elements), "]"});
}
std::string caseText(const TupleLiteral& literal)
{
    return parts({"(", joined(literal.elements), literal.elements.size() == 1 ? ",)" : ")"});
}
std::string caseText(const ObjectLiteral& literal)
{
    std::string text = "{";
    for (const auto& [key, value] : literal.entries)
        text += parts({text.size() == 1 ? "" : ", ", quoted(key), ": ", debugText(value)});
    return text + "}";
}
std::string caseText(const Identifier& identifier)
{
    return identifier.name.utf8();
}
std::string caseText(const UnaryExpression& unary)
{
    return parts(
        {"(", unaryOpTexts.name(unary.op), unary.op == UnaryOp::not_ ? " " : "", debugText(*unary.operand), ")"});
}
std::string caseText(const BinaryExpression& binary)
{
    return parts(
        {"(", debugText(*binary.left), " ", binaryOpTexts.name(binary.op), " ", debugText(*binary.right), ")"});
}
std::string caseText(const TernaryExpression& ternary)
{
    return parts({"(", debugText(*ternary.value), " if ", debugText(*ternary.test),
                  ternary.alternate ? " else " + debugText(**ternary.alternate) : "", ")"});
}
std::string caseText(const CallExpression& call)
{
    return parts({debugText(*call.callee), "(", argumentsText(call.arguments, call.keywordArguments), ")"});
}
std::string caseText(const MemberExpression& member)
{
    if (member.computed)
        return parts({debugText(*member.object), "[", debugText(*member.property), "]"});
    return parts({debugText(*member.object), ".", debugText(*member.property)});
}
std::string caseText(const SliceExpression& slice)
{
    const auto part = [](const OptionalExpression& expression) {
        return expression ? debugText(**expression) : std::string();
    };
    return parts({debugText(*slice.object), "[", part(slice.start), ":", part(slice.stop), slice.step ? ":" : "",
                  part(slice.step), "]"});
}
std::string caseText(const FilterExpression& filter)
{
    const bool hasArguments = !filter.arguments.empty() || !filter.keywordArguments.empty();
    return parts({"(", debugText(*filter.operand), " | ", filter.name.utf8(), hasArguments ? "(" : "",
                  hasArguments ? argumentsText(filter.arguments, filter.keywordArguments) : "", hasArguments ? ")" : "",
                  ")"});
}
std::string caseText(const TestExpression& test)
{
    const bool hasArguments = !test.arguments.empty();
    return parts({"(", debugText(*test.operand), test.negated ? " is not " : " is ", test.name.utf8(),
                  hasArguments ? "(" : "", joined(test.arguments), hasArguments ? ")" : "", ")"});
}

void appendNodes(std::string& text, const NodeList& nodes, int depth);

void appendLine(std::string& text, int depth, const std::string& line)
{
    text.append(static_cast<std::size_t>(depth) * 2, ' ').append(line).push_back('\n');
}

void appendBlock(std::string& text, int depth, const std::string& line, const NodeList& body)
{
    appendLine(text, depth, line);
    appendNodes(text, body, depth + 1);
}

void appendStatement(std::string& text, const Statement& statement, int depth)
{
    std::visit(
        [&](const auto& node) {
            using T = std::decay_t<decltype(node)>;
            if constexpr (std::is_same_v<T, ProgramStatement>) {
                appendBlock(text, depth, "program", node.body);
            } else if constexpr (std::is_same_v<T, SetStatement>) {
                appendBlock(text, depth,
                            "set " + debugText(*node.target) + (node.value ? " = " + debugText(**node.value) : ""),
                            node.body);
            } else if constexpr (std::is_same_v<T, IfStatement>) {
                appendBlock(text, depth, "if " + debugText(*node.test), node.body);
                if (!node.alternate.empty())
                    appendBlock(text, depth, "else", node.alternate);
            } else if constexpr (std::is_same_v<T, ForStatement>) {
                std::string names;
                for (const String& name : node.variable.names)
                    names += (names.empty() ? "" : ", ") + name.utf8();
                appendBlock(text, depth,
                            "for " + names + " in " + debugText(*node.iterable) +
                                (node.test ? " if " + debugText(**node.test) : ""),
                            node.body);
                if (!node.elseBody.empty())
                    appendBlock(text, depth, "else", node.elseBody);
            } else if constexpr (std::is_same_v<T, MacroStatement>) {
                std::string parameters;
                for (const String& name : node.parameters) {
                    parameters += parts({parameters.empty() ? "" : ", ", name.utf8()});
                    if (const Expression* fallback = node.defaults.find(name))
                        parameters += parts({"=", debugText(*fallback)});
                }
                appendBlock(text, depth, "macro " + node.name.utf8() + "(" + parameters + ")", node.body);
            } else if constexpr (std::is_same_v<T, BreakStatement>) {
                appendLine(text, depth, "break");
            } else if constexpr (std::is_same_v<T, ContinueStatement>) {
                appendLine(text, depth, "continue");
            } else if constexpr (std::is_same_v<T, CallStatement>) {
                const std::string arguments =
                    node.callerArguments ? parts({"(", joined(*node.callerArguments), ")"}) : "";
                appendBlock(text, depth, "call" + arguments + " " + debugText(*node.callable), node.body);
            } else if constexpr (std::is_same_v<T, FilterStatement>) {
                appendBlock(text, depth, "filter " + debugText(*node.filter), node.body);
            } else if constexpr (std::is_same_v<T, GenerationStatement>) {
                appendBlock(text, depth, "generation", node.body);
            }
        },
        statement.value);
}

void appendNodes(std::string& text, const NodeList& nodes, int depth)
{
    for (const Node& node : nodes) {
        std::visit(
            [&](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, TextNode>)
                    appendLine(text, depth, "text " + quoted(value.text));
                else if constexpr (std::is_same_v<T, CommentNode>)
                    appendLine(text, depth, "comment " + quoted(value.text));
                else if constexpr (std::is_same_v<T, Expression>)
                    appendLine(text, depth, "print " + debugText(value));
                else
                    appendStatement(text, value, depth);
            },
            node.value);
    }
}

} // namespace

std::string debugText(const Expression& expression)
{
    return std::visit([](const auto& node) { return caseText(node); }, expression.value);
}

std::string debugText(const NodeList& nodes)
{
    std::string text;
    appendNodes(text, nodes, 0);
    return text;
}

} // namespace Jinja
