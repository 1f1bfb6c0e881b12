#include "Jinja/Syntax/LexerTables.h"

#include <array>
#include <vector>

namespace Jinja::detail {

using Kind = Token::Kind;

std::optional<Kind> keywordKind(std::string_view word)
{
    static constexpr std::pair<std::string_view, Kind> table[] = {
        {"if", Kind::if_},
        {"else", Kind::else_},
        {"elif", Kind::elif},
        {"endif", Kind::endif},
        {"for", Kind::for_},
        {"endfor", Kind::endfor},
        {"in", Kind::in},
        {"not", Kind::not_},
        {"and", Kind::and_},
        {"or", Kind::or_},
        {"set", Kind::set},
        {"endset", Kind::endset},
        {"macro", Kind::macro},
        {"endmacro", Kind::endmacro},
        {"true", Kind::boolean},
        {"false", Kind::boolean},
        {"null", Kind::null},
        {"none", Kind::null},
        {"break", Kind::break_},
        {"continue", Kind::continue_},
        {"call", Kind::call},
        {"endcall", Kind::endcall},
        {"filter", Kind::filter},
        {"endfilter", Kind::endfilter},
        {"generation", Kind::generation},
        {"endgeneration", Kind::endgeneration},
        {"True", Kind::boolean},
        {"False", Kind::boolean},
        {"None", Kind::null},
        {"is", Kind::is},
    };
    // The entries by the length of their word, so a lookup compares a few.
    static constexpr std::size_t longest = 13;
    static const auto byLength = [] {
        std::array<std::vector<std::pair<std::string_view, Kind>>, longest + 1> lists;
        for (const auto& entry : table)
            lists[entry.first.size()].push_back(entry);
        return lists;
    }();
    if (word.size() > longest)
        return std::nullopt;
    for (const auto& [text, kind] : byLength[word.size()])
        if (text == word)
            return kind;
    return std::nullopt;
}

std::optional<std::pair<Kind, std::size_t>> operatorAt(char first, char second)
{
    static constexpr std::pair<std::string_view, Kind> operators[] = {
        {"+", Kind::plus},         {"-", Kind::minus},         {"*", Kind::multiply}, {"/", Kind::divide},
        {"//", Kind::floorDivide}, {"**", Kind::power},        {"%", Kind::modulo},   {"~", Kind::concat},
        {"==", Kind::equal},       {"!=", Kind::notEqual},     {"<", Kind::less},     {"<=", Kind::lessEqual},
        {">", Kind::greater},      {">=", Kind::greaterEqual}, {"=", Kind::equals},   {"|", Kind::pipe},
    };
    std::optional<std::pair<Kind, std::size_t>> found;
    for (const auto& [text, kind] : operators) {
        if (text[0] != first)
            continue;
        if (text.size() == 2 && text[1] == second)
            return std::pair{kind, std::size_t{2}};
        if (text.size() == 1)
            found = std::pair{kind, std::size_t{1}};
    }
    return found;
}

std::optional<Kind> punctuationKind(char character)
{
    switch (character) {
    case '(': return Kind::openParen;
    case ')': return Kind::closeParen;
    case '[': return Kind::openBracket;
    case ']': return Kind::closeBracket;
    case '{': return Kind::openBrace;
    case '}': return Kind::closeBrace;
    case ',': return Kind::comma;
    case '.': return Kind::dot;
    case ':': return Kind::colon;
    case '|': return Kind::pipe;
    default: return std::nullopt;
    }
}

} // namespace Jinja::detail
