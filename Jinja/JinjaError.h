#pragma once

// The one error of the template language: what failed (its kind), the message,
// and for errors in the template's text the character position they found.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace Jinja {

class JinjaError : public std::runtime_error {
public:
    enum class Kind { lexer, parser, runtime, syntax };

    // what() is the kind's prefix ("Lexer error: ", …) followed by the message.
    JinjaError(Kind kind, std::string message, std::optional<std::int64_t> position = std::nullopt);

    Kind kind() const { return kind_; }
    const std::string& message() const { return message_; }
    // Characters from the start of the text the lexer walked.
    std::optional<std::int64_t> position() const { return position_; }

private:
    Kind kind_;
    std::string message_;
    std::optional<std::int64_t> position_;
};

} // namespace Jinja
