#pragma once

// Rendering template text in tests, with its failure as text.

#include "Jinja/Runtime/ControlFlow.h"
#include "Jinja/Template.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>

namespace JinjaTesting {

// The output, or "error: " and what compiling or rendering threw.
inline std::string rendered(std::string_view text, const Jinja::Template::Context& context = {})
{
    try {
        return Jinja::Template(text).render(context);
    } catch (const std::exception& error) {
        return std::string("error: ") + error.what();
    }
}

struct RenderCase {
    std::string_view text;
    std::string_view expected;
};

inline void expectRenders(std::span<const RenderCase> cases, const Jinja::Template::Context& context = {})
{
    for (const RenderCase& each : cases)
        EXPECT_EQ(rendered(each.text, context), each.expected) << each.text;
}

} // namespace JinjaTesting
