#pragma once

// What a template's raise_exception() throws: it ends the rendering and
// reaches the caller unchanged, with the template's message when it gave one.

#include <exception>
#include <optional>
#include <string>

namespace Jinja {

class TemplateException : public std::exception {
public:
    explicit TemplateException(std::optional<std::string> message = std::nullopt) : message_(std::move(message)) {}

    const std::optional<std::string>& message() const { return message_; }
    const char* what() const noexcept override { return message_ ? message_->c_str() : "TemplateException"; }

private:
    std::optional<std::string> message_;
};

} // namespace Jinja
