#pragma once

// Errors keep what caused them: code that catches one error and throws
// another in its place throws the new one with std::throw_with_nested, so the
// first stays inside it, and logs the first at most once, there. These read
// the chain back.

#include <exception>
#include <functional>
#include <string>

namespace Platform {

// Calls `visit` with `error` and then with each error nested in it, outermost
// first. A nested exception that is no std::exception ends the chain.
void forEachCause(const std::exception& error, const std::function<void(const std::exception&)>& visit);

// The error and its causes in one line, each as `describe` gives it (what()
// unless told otherwise): "No input device (because: Connection refused)".
std::string describingCauses(const std::exception& error,
                             const std::function<std::string(const std::exception&)>& describe = {});

} // namespace Platform
