#pragma once

// The addresses the hub serves a repository's files under.

#include "Hub/Repo.h"
#include "Platform/Net/URL.h"

#include <string>
#include <string_view>

namespace Hub {

// The endpoint as a URL; one that is no absolute URL throws HubClientError's
// parseError naming it.
Platform::URL endpointURL(std::string_view endpoint);

// endpoint [/ "datasets" | "spaces"] / id / "resolve" / revision, the revision
// as one segment; a file's path is appended to it.
Platform::URL resolveURL(std::string_view endpoint, const Repo& repo, const std::string& revision);

} // namespace Hub
