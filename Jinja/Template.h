#pragma once

// A template compiled once from its text into a syntax tree, which never
// changes afterwards and may be read from several threads at once.

#include "Jinja/Runtime/Environment.h"
#include "Jinja/Syntax/Node.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Jinja {

struct TemplateOptions {
    // Spaces and tabs before a block or comment tag at the start of a line go.
    bool lstripBlocks = false;
    // The first line feed after a block or comment tag goes.
    bool trimBlocks = false;

    bool operator==(const TemplateOptions&) const = default;
};

class Template {
public:
    using Options = TemplateOptions;

    // Throws JinjaError (lexer or parser) for text that does not compile.
    explicit Template(std::string_view text, Options options = {});

    const NodeList& nodes() const { return nodes_; }

    using Context = std::unordered_map<String, Value>;

    // The text the template renders with the context's variables. The context
    // is written into `environment` when one is given (which must then not be
    // given to another rendering at the same time), else into a scope of its
    // own; the rendering itself runs in a fresh root scope holding a copy of
    // those variables, where the globals hide context entries of their names.
    // Throws JinjaError, what called functions throw (TemplateException), or
    // ControlFlow for a break or continue outside any loop.
    std::string render(const Context& context, std::shared_ptr<Environment> environment = nullptr) const;

    bool operator==(const Template&) const = default;

private:
    NodeList nodes_;
};

} // namespace Jinja

template <>
struct std::hash<Jinja::Template> {
    std::size_t operator()(const Jinja::Template& compiled) const;
};
