#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// A pattern that fails to compile.
class RegexError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One match of a pattern in a UTF-8 text: group 0 is the whole match. Offsets
// are byte offsets into the searched text; a group that took no part in the
// match has no range.
struct RegexMatch {
    struct Range {
        std::size_t begin = 0;
        std::size_t end = 0;
        bool operator==(const Range&) const = default;
    };

    std::vector<std::optional<Range>> groups;

    // The text of group `index`, empty when the group did not take part.
    std::string_view group(std::string_view text, std::size_t index) const;
    const Range& range() const { return *groups.front(); }
};

struct RegexOptions {
    bool caseInsensitive = false;
    // The pattern is plain text to find, not a regular expression.
    bool literal = false;
};

// A compiled regular expression in ICU syntax over UTF-8 text. Compiling is the
// expensive step, so callers compile once and keep the object; a compiled
// pattern is immutable and may be used from many threads at once. Copies share
// the compiled form.
class Regex {
public:
    using Options = RegexOptions;

    // Throws RegexError when the pattern does not compile.
    explicit Regex(std::string_view pattern, Options options = {});

    // The compiled pattern, or none when it does not compile. Patterns are kept
    // in a process-wide table, so asking again for the same pattern and options
    // does not compile it again.
    static std::optional<Regex> cached(std::string_view pattern, Options options = {});

    const std::string& pattern() const;
    std::size_t groupCount() const;

    bool isMatch(std::string_view text) const; // a match anywhere in the text
    std::optional<RegexMatch> firstMatch(std::string_view text) const;
    // Every non-overlapping match, left to right.
    std::vector<RegexMatch> matches(std::string_view text) const;

    // Replaces every non-overlapping match, left to right in one pass, by the
    // template: "$n" is group n (the longest run of digits that names an
    // existing group, at least one digit; a group that did not take part gives
    // nothing), a "$" not followed by a digit stands for itself, and a
    // backslash makes the next character literal.
    std::string replaceAll(std::string_view text, std::string_view replacementTemplate) const;
    // The same pass with replacements computed by the caller.
    std::string replaceAll(std::string_view text,
                           const std::function<std::string(const RegexMatch&)>& replacement) const;

    // Expands a replacement template for one match of this pattern in `text`.
    std::string expandTemplate(std::string_view text, const RegexMatch& match,
                               std::string_view replacementTemplate) const;

private:
    friend class RegexSearch;
    struct Compiled;
    std::shared_ptr<const Compiled> compiled_;
};

// Successive searches of one pattern in one text, each in the part of the
// text from an offset the caller picks, as if that part were the whole text
// (anchors and look-arounds stop at its start). Offsets in the matches count
// from the start of the text. The text must outlive the search; one search
// serves one thread.
class RegexSearch {
public:
    RegexSearch(const Regex& regex, std::string_view text);
    ~RegexSearch();
    RegexSearch(const RegexSearch&) = delete;
    RegexSearch& operator=(const RegexSearch&) = delete;

    // The first match in text[from...]; none past the end.
    std::optional<RegexMatch> firstMatch(std::size_t from);

private:
    struct State;
    Regex regex_; // keeps the compiled pattern alive
    std::unique_ptr<State> state_;
};

} // namespace Platform
