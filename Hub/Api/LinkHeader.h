#pragma once

// Reads one link out of a response's "Link" header.

#include "Platform/Net/HTTPSession.h"

#include <optional>
#include <string>
#include <string_view>

namespace Hub {

// The target of the first link in the "Link" header whose relation is `rel`,
// written rel="rel" or rel=rel. A piece without its target in angle brackets
// is passed over.
std::optional<std::string> getLinkURL(const Platform::HTTPResponse& response, std::string_view rel);

} // namespace Hub
