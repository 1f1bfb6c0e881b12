#pragma once

// What a chat is handed to a chat template as: messages, tools and extra
// variables, and which template to render it with.

#include <any>
#include <map>
#include <string>
#include <utility>

namespace Tokenizers {

// One message of a chat or one tool: values that Jinja::Value::fromAny takes
// (text, integers, doubles, Booleans, lists and maps of those, nothing).
using Message = std::map<std::string, std::any>;
using ToolSpec = std::map<std::string, std::any>;

// A template source given by the caller, or the name of one of the templates
// of the tokenizer configuration. There is no conversion from a string, so a
// text is never taken for one or the other by accident.
class ChatTemplateArgument {
public:
    enum class Kind { literal, name };

    static ChatTemplateArgument literal(std::string source) { return {Kind::literal, std::move(source)}; }
    static ChatTemplateArgument name(std::string name) { return {Kind::name, std::move(name)}; }

    Kind kind() const { return kind_; }
    // The source of a literal, or the name.
    const std::string& text() const { return text_; }

private:
    ChatTemplateArgument(Kind kind, std::string text) : kind_(kind), text_(std::move(text)) {}

    Kind kind_;
    std::string text_;
};

} // namespace Tokenizers
