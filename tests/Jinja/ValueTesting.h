#pragma once

// Calling function values and reading the errors of template operations in tests.

#include "Jinja/Runtime/Value.h"

#include <functional>
#include <string>
#include <vector>

namespace JinjaTesting {

inline Jinja::Value call(const Jinja::Value& function, const std::vector<Jinja::Value>& arguments = {},
                         const Jinja::KeywordArguments& keywordArguments = {})
{
    return function.asFunction()(arguments, keywordArguments, nullptr);
}

// The text form of what `work` returns, or "error: " and the message it threw.
inline std::string outcome(const std::function<Jinja::Value()>& work)
{
    try {
        return work().description();
    } catch (const std::exception& error) {
        return std::string("error: ") + error.what();
    }
}

} // namespace JinjaTesting
