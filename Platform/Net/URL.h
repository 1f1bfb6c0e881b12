#pragma once

// Absolute URLs as the hub client builds them: parsed into scheme, authority,
// path, query and fragment, extended by path components that are percent-encoded
// as they are appended.

#include <optional>
#include <string>
#include <string_view>

namespace Platform {

class URL {
public:
    // A URL with a scheme and a host, such as "https://host:8080/a?b#c"; none for
    // a relative reference, a text without a host, or one holding white space or
    // control characters.
    static std::optional<URL> parse(std::string_view text);

    const std::string& scheme() const { return scheme_; }
    // User, host and port as written.
    const std::string& authority() const { return authority_; }
    // Percent-encoded, empty or starting with "/".
    const std::string& path() const { return path_; }
    const std::optional<std::string>& query() const { return query_; }

    std::string string() const;

    // The URL with `component` added to its path as one segment: a "/" inside it
    // is encoded, so it does not start a segment of its own.
    URL appendingPathComponent(std::string_view component) const;
    // The URL with `path` added, each "/" in it separating segments.
    URL appendingPath(std::string_view path) const;
    // The last segment of the path, decoded; empty for a path without one.
    std::string lastPathComponent() const;

    // The same scheme, authority and fragment with another path and query.
    URL replacingPathAndQuery(std::string path, std::optional<std::string> query) const;

private:
    URL() = default;

    std::string scheme_;
    std::string authority_;
    std::string path_;
    std::optional<std::string> query_;
    std::optional<std::string> fragment_;
};

// Whether the text holds only printable ASCII without spaces, as a URL written
// out in a header does.
bool isURLText(std::string_view text);

} // namespace Platform
