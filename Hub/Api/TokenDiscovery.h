#pragma once

// Finds the hub access token a client sends when it is given none.

#include <optional>
#include <string>

namespace Hub {

// The first source that holds a value, in this order: the variables HUB_TOKEN
// and MODEL_HUB_TOKEN, the file HUB_TOKEN_PATH names, the file "token" in the
// folder HUB_HOME names, ~/.cache/modelhub/token and ~/.modelhub/token.
// Values are trimmed of white space (a file's final line break included); an
// empty one, a missing or unreadable file and text that is no UTF-8 are no
// value. A value that holds a control character cannot go into a header: it
// is refused with a line on standard error that names its source, never the
// value, and the client has no token.
std::optional<std::string> discoverHubToken();

// `token` unless it holds a control character; then the refusal line above,
// naming `source`, and none.
std::optional<std::string> usableToken(std::string token, const std::string& source);

} // namespace Hub
