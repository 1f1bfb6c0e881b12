#pragma once

// One token of a template: what it is, its text, and where it starts.

#include "Platform/EnumNames.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace Jinja {

struct Token {
    // Kinds named by C++ keywords carry a trailing underscore; their names in
    // the table below, which messages print, have none.
    enum class Kind {
        text,
        openExpression,
        closeExpression,
        openStatement,
        closeStatement,
        string,
        number,
        boolean,
        null,
        identifier,
        openParen,
        closeParen,
        openBracket,
        closeBracket,
        openBrace,
        closeBrace,
        comma,
        dot,
        colon,
        pipe,
        equals,
        plus,
        minus,
        multiply,
        divide,
        floorDivide,
        power,
        modulo,
        concat,
        equal,
        notEqual,
        less,
        lessEqual,
        greater,
        greaterEqual,
        and_,
        or_,
        not_,
        in,
        notIn,
        is,
        if_,
        else_,
        elif,
        endif,
        for_,
        endfor,
        set,
        endset,
        macro,
        endmacro,
        break_,
        continue_,
        call,
        endcall,
        filter,
        endfilter,
        generation,
        endgeneration,
        comment,
        eof,
    };

    Kind kind;
    // The source characters the token covers; for string literals and comments
    // their content, escapes resolved.
    std::string value;
    // Characters from the start of the rewritten text to the token's first.
    std::int64_t position = 0;

    bool operator==(const Token&) const = default;
};

inline constexpr Platform::EnumNames tokenKindNames{std::array{
    std::pair{Token::Kind::text, std::string_view("text")},
    std::pair{Token::Kind::openExpression, std::string_view("openExpression")},
    std::pair{Token::Kind::closeExpression, std::string_view("closeExpression")},
    std::pair{Token::Kind::openStatement, std::string_view("openStatement")},
    std::pair{Token::Kind::closeStatement, std::string_view("closeStatement")},
    std::pair{Token::Kind::string, std::string_view("string")},
    std::pair{Token::Kind::number, std::string_view("number")},
    std::pair{Token::Kind::boolean, std::string_view("boolean")},
    std::pair{Token::Kind::null, std::string_view("null")},
    std::pair{Token::Kind::identifier, std::string_view("identifier")},
    std::pair{Token::Kind::openParen, std::string_view("openParen")},
    std::pair{Token::Kind::closeParen, std::string_view("closeParen")},
    std::pair{Token::Kind::openBracket, std::string_view("openBracket")},
    std::pair{Token::Kind::closeBracket, std::string_view("closeBracket")},
    std::pair{Token::Kind::openBrace, std::string_view("openBrace")},
    std::pair{Token::Kind::closeBrace, std::string_view("closeBrace")},
    std::pair{Token::Kind::comma, std::string_view("comma")},
    std::pair{Token::Kind::dot, std::string_view("dot")},
    std::pair{Token::Kind::colon, std::string_view("colon")},
    std::pair{Token::Kind::pipe, std::string_view("pipe")},
    std::pair{Token::Kind::equals, std::string_view("equals")},
    std::pair{Token::Kind::plus, std::string_view("plus")},
    std::pair{Token::Kind::minus, std::string_view("minus")},
    std::pair{Token::Kind::multiply, std::string_view("multiply")},
    std::pair{Token::Kind::divide, std::string_view("divide")},
    std::pair{Token::Kind::floorDivide, std::string_view("floorDivide")},
    std::pair{Token::Kind::power, std::string_view("power")},
    std::pair{Token::Kind::modulo, std::string_view("modulo")},
    std::pair{Token::Kind::concat, std::string_view("concat")},
    std::pair{Token::Kind::equal, std::string_view("equal")},
    std::pair{Token::Kind::notEqual, std::string_view("notEqual")},
    std::pair{Token::Kind::less, std::string_view("less")},
    std::pair{Token::Kind::lessEqual, std::string_view("lessEqual")},
    std::pair{Token::Kind::greater, std::string_view("greater")},
    std::pair{Token::Kind::greaterEqual, std::string_view("greaterEqual")},
    std::pair{Token::Kind::and_, std::string_view("and")},
    std::pair{Token::Kind::or_, std::string_view("or")},
    std::pair{Token::Kind::not_, std::string_view("not")},
    std::pair{Token::Kind::in, std::string_view("in")},
    std::pair{Token::Kind::notIn, std::string_view("notIn")},
    std::pair{Token::Kind::is, std::string_view("is")},
    std::pair{Token::Kind::if_, std::string_view("if")},
    std::pair{Token::Kind::else_, std::string_view("else")},
    std::pair{Token::Kind::elif, std::string_view("elif")},
    std::pair{Token::Kind::endif, std::string_view("endif")},
    std::pair{Token::Kind::for_, std::string_view("for")},
    std::pair{Token::Kind::endfor, std::string_view("endfor")},
    std::pair{Token::Kind::set, std::string_view("set")},
    std::pair{Token::Kind::endset, std::string_view("endset")},
    std::pair{Token::Kind::macro, std::string_view("macro")},
    std::pair{Token::Kind::endmacro, std::string_view("endmacro")},
    std::pair{Token::Kind::break_, std::string_view("break")},
    std::pair{Token::Kind::continue_, std::string_view("continue")},
    std::pair{Token::Kind::call, std::string_view("call")},
    std::pair{Token::Kind::endcall, std::string_view("endcall")},
    std::pair{Token::Kind::filter, std::string_view("filter")},
    std::pair{Token::Kind::endfilter, std::string_view("endfilter")},
    std::pair{Token::Kind::generation, std::string_view("generation")},
    std::pair{Token::Kind::endgeneration, std::string_view("endgeneration")},
    std::pair{Token::Kind::comment, std::string_view("comment")},
    std::pair{Token::Kind::eof, std::string_view("eof")},
}};

} // namespace Jinja
