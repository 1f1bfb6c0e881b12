// Reading a dump back: each line's expression or statement head is template
// syntax already, so the parser reads it, and the indentation gives the bodies.

#include "Jinja/JinjaError.h"
#include "Jinja/Syntax/DebugText.h"
#include "Jinja/Syntax/Lexer.h"
#include "Jinja/Syntax/Parser.h"

#include <vector>

namespace Jinja {

namespace {

struct Line {
    std::size_t depth;
    std::string_view content;
};

std::vector<Line> linesOf(std::string_view text)
{
    std::vector<Line> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        const std::size_t indent = std::min(line.find_first_not_of(' '), line.size());
        lines.push_back({indent / 2, line.substr(indent)});
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

[[noreturn]] void fail(std::string_view line)
{
    throw JinjaError(JinjaError::Kind::parser, "Not a syntax tree dump: " + std::string(line));
}

// The one node that `source`, taken verbatim, compiles to.
Node onlyNode(const std::string& source, std::string_view line)
{
    NodeList nodes = Parser::parse(Lexer::tokenizeVerbatim(source));
    if (nodes.size() != 1)
        fail(line);
    return std::move(nodes.front());
}

Statement statementOf(const std::string& source, std::string_view line)
{
    Node node = onlyNode(source, line);
    if (auto* statement = std::get_if<Statement>(&node.value))
        return std::move(*statement);
    fail(line);
}

class Reader {
public:
    explicit Reader(std::string_view text) : lines_(linesOf(text)) {}

    NodeList nodes(std::size_t depth)
    {
        NodeList result;
        while (next_ < lines_.size() && lines_[next_].depth >= depth) {
            if (lines_[next_].depth > depth || lines_[next_].content == "else")
                fail(lines_[next_].content);
            result.push_back(node(depth));
        }
        return result;
    }

    bool done() const { return next_ == lines_.size(); }

private:
    Node node(std::size_t depth)
    {
        const std::string_view line = lines_[next_++].content;
        const std::size_t space = std::min(line.find(' '), line.size());
        const std::string_view head = line.substr(0, std::min(line.find('('), space));
        const std::string rest(line.substr(std::min(head.size() + (space == head.size() ? 1 : 0), line.size())));
        if (head == "text" || head == "comment") {
            const Expression literal = expressionFromDebugText(rest);
            const auto* text = std::get_if<StringLiteral>(&literal.value);
            if (!text)
                fail(line);
            return head == "text" ? Node(TextNode{text->value}) : Node(CommentNode{text->value});
        }
        if (head == "print")
            return expressionFromDebugText(rest);
        if (head == "if") {
            IfStatement statement = std::get<IfStatement>(statementOf("{% if " + rest + " %}{% endif %}", line).value);
            statement.body = nodes(depth + 1);
            statement.alternate = elseBody(depth);
            return Statement(std::move(statement));
        }
        if (head == "for") {
            ForStatement loop = std::get<ForStatement>(statementOf("{% for " + rest + " %}{% endfor %}", line).value);
            loop.body = nodes(depth + 1);
            loop.elseBody = elseBody(depth);
            return Statement(std::move(loop));
        }
        if (head == "set")
            return setStatement(rest, line, depth);
        if (head == "break" || head == "continue")
            return onlyNode("{% " + std::string(head) + " %}", line);
        if (head == "program" || head == "generation") {
            NodeList body = nodes(depth + 1);
            return head == "program" ? Statement(ProgramStatement{std::move(body)})
                                     : Statement(GenerationStatement{std::move(body)});
        }
        Statement statement = blockHead(head, line);
        std::visit(
            [&](auto& block) {
                if constexpr (requires { block.body; })
                    block.body = nodes(depth + 1);
            },
            statement.value);
        return statement;
    }

    // A macro, call or filter block: its head parsed with an empty body.
    Statement blockHead(std::string_view head, std::string_view line)
    {
        if (head != "macro" && head != "call" && head != "filter")
            fail(line);
        return statementOf("{% " + std::string(line) + " %}{% end" + std::string(head) + " %}", line);
    }

    // A set with a value has no body; one without a value takes the body that follows.
    Node setStatement(const std::string& rest, std::string_view line, std::size_t depth)
    {
        try {
            return onlyNode("{% set " + rest + " %}", line);
        } catch (const JinjaError&) {
            SetStatement set = std::get<SetStatement>(statementOf("{% set " + rest + " %}{% endset %}", line).value);
            set.body = nodes(depth + 1);
            return Statement(std::move(set));
        }
    }

    NodeList elseBody(std::size_t depth)
    {
        if (next_ < lines_.size() && lines_[next_].depth == depth && lines_[next_].content == "else") {
            ++next_;
            return nodes(depth + 1);
        }
        return {};
    }

    std::vector<Line> lines_;
    std::size_t next_ = 0;
};

} // namespace

Expression expressionFromDebugText(std::string_view text)
{
    Node node = onlyNode("{{ " + std::string(text) + " }}", text);
    if (auto* expression = std::get_if<Expression>(&node.value))
        return std::move(*expression);
    fail(text);
}

NodeList nodesFromDebugText(std::string_view text)
{
    Reader reader(text);
    NodeList nodes = reader.nodes(0);
    if (!reader.done())
        fail(text);
    return nodes;
}

} // namespace Jinja
