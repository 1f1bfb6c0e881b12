#include "Jinja/Template.h"

#include "Jinja/Runtime/Interpreter.h"
#include "Jinja/Syntax/BlockWhitespace.h"
#include "Jinja/Syntax/Lexer.h"
#include "Jinja/Syntax/Parser.h"
#include "Jinja/Syntax/TreeHash.h"

#include <string>

namespace Jinja {

Template::Template(std::string_view text, Options options)
{
    std::string source(text);
    if (options.lstripBlocks)
        source = stripBlockIndentation(source);
    if (options.trimBlocks)
        source = trimBlockLineFeeds(source);
    nodes_ = Parser::parse(Lexer::tokenize(source));
}

std::string Template::render(const Context& context, std::shared_ptr<Environment> environment) const
{
    if (!environment)
        environment = Environment::make();
    for (const auto& [name, value] : context)
        environment->set(name, value);
    return Interpreter::interpret(nodes_, *environment);
}

} // namespace Jinja

std::size_t std::hash<Jinja::Template>::operator()(const Jinja::Template& compiled) const
{
    return static_cast<std::size_t>(Jinja::seededHash(compiled.nodes(), 0));
}
