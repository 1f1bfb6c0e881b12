#pragma once

// A template compiled once from its text into a syntax tree, which never
// changes afterwards and may be read from several threads at once.

#include "Jinja/Syntax/Node.h"

#include <cstddef>
#include <string_view>

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

    bool operator==(const Template&) const = default;

private:
    NodeList nodes_;
};

} // namespace Jinja

template <>
struct std::hash<Jinja::Template> {
    std::size_t operator()(const Jinja::Template& compiled) const;
};
