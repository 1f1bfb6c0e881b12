#include "Jinja/JinjaError.h"

#include "Platform/EnumNames.h"

namespace Jinja {

namespace {

constexpr Platform::EnumNames prefixes{std::array{
    std::pair{JinjaError::Kind::lexer, std::string_view("Lexer error: ")},
    std::pair{JinjaError::Kind::parser, std::string_view("Parser error: ")},
    std::pair{JinjaError::Kind::runtime, std::string_view("Runtime error: ")},
    std::pair{JinjaError::Kind::syntax, std::string_view("Syntax error: ")},
}};

} // namespace

JinjaError::JinjaError(Kind kind, std::string message, std::optional<std::int64_t> position)
    : std::runtime_error(std::string(prefixes.name(kind)) + message), kind_(kind), message_(std::move(message)),
      position_(position)
{
}

} // namespace Jinja
