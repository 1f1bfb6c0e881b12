#include "Platform/ErrorCauses.h"

namespace Platform {

void forEachCause(const std::exception& error, const std::function<void(const std::exception&)>& visit)
{
    visit(error);
    try {
        std::rethrow_if_nested(error);
    } catch (const std::exception& cause) {
        forEachCause(cause, visit);
    } catch (...) {
    }
}

std::string describingCauses(const std::exception& error,
                             const std::function<std::string(const std::exception&)>& describe)
{
    std::string text;
    std::string causes;
    forEachCause(error, [&](const std::exception& each) {
        std::string description = describe ? describe(each) : std::string(each.what());
        if (&each == &error)
            text = std::move(description);
        else
            causes += (causes.empty() ? "" : "; ") + description;
    });
    return causes.empty() ? text : text + " (because: " + causes + ")";
}

} // namespace Platform
