#include "Platform/Text/Regex.h"

#include "Platform/Text/UTF8Text.h"

#include <mutex>
#include <unordered_map>

#include <unicode/regex.h>

namespace Platform {

struct Regex::Compiled {
    std::string pattern;
    std::unique_ptr<icu::RegexPattern> icuPattern;
    std::size_t groupCount = 0;
};

namespace {

// The groups of the match the matcher has just found.
RegexMatch currentMatch(icu::RegexMatcher& matcher, std::size_t groupCount)
{
    UErrorCode status = U_ZERO_ERROR;
    RegexMatch match;
    match.groups.reserve(groupCount + 1);
    for (std::size_t group = 0; group <= groupCount; ++group) {
        int64_t begin = matcher.start64(static_cast<int32_t>(group), status);
        int64_t end = matcher.end64(static_cast<int32_t>(group), status);
        if (begin < 0 || U_FAILURE(status))
            match.groups.emplace_back(std::nullopt);
        else
            match.groups.emplace_back(
                RegexMatch::Range{static_cast<std::size_t>(begin), static_cast<std::size_t>(end)});
    }
    return match;
}

// Runs `onMatch` for every non-overlapping match, left to right.
template <typename OnMatch>
void forEachMatch(const icu::RegexPattern& pattern, std::size_t groupCount, std::string_view text, OnMatch&& onMatch)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(icu::UnicodeString(), status));
    if (U_FAILURE(status))
        throw RegexError("cannot create a matcher");
    detail::UTF8Text input(text);
    matcher->reset(input.get());
    while (matcher->find(status) && U_SUCCESS(status)) {
        RegexMatch match = currentMatch(*matcher, groupCount);
        if (!onMatch(match))
            return;
    }
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

// Each search runs on the rest of the text as a text of its own, so that
// nothing before the offset takes part (the matcher's region lets look-behind
// see past its start).
struct RegexSearch::State {
    std::string_view text;
    UText* rest = nullptr;
    std::unique_ptr<icu::RegexMatcher> matcher;
    std::size_t groupCount;

    State(const icu::RegexPattern& pattern, std::string_view searched, std::size_t groups)
        : text(searched), groupCount(groups)
    {
        UErrorCode status = U_ZERO_ERROR;
        matcher.reset(pattern.matcher(icu::UnicodeString(), status));
        if (U_FAILURE(status))
            throw RegexError("cannot create a matcher");
    }
    ~State() { utext_close(rest); }
};

RegexSearch::RegexSearch(const Regex& regex, std::string_view text)
    : regex_(regex), state_(std::make_unique<State>(*regex.compiled_->icuPattern, text, regex.groupCount()))
{
}

RegexSearch::~RegexSearch() = default;

std::optional<RegexMatch> RegexSearch::firstMatch(std::size_t from)
{
    State& state = *state_;
    if (from > state.text.size())
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    state.rest =
        utext_openUTF8(state.rest, state.text.data() + from, static_cast<int64_t>(state.text.size() - from), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    state.matcher->reset(state.rest);
    if (!state.matcher->find(status) || U_FAILURE(status))
        return std::nullopt;
    RegexMatch match = currentMatch(*state.matcher, state.groupCount);
    for (std::optional<RegexMatch::Range>& group : match.groups)
        if (group)
            *group = {group->begin + from, group->end + from};
    return match;
}

std::string_view RegexMatch::group(std::string_view text, std::size_t index) const
{
    if (index >= groups.size() || !groups[index])
        return {};
    const Range& r = *groups[index];
    return text.substr(r.begin, r.end - r.begin);
}

Regex::Regex(std::string_view pattern, Options options)
{
    auto compiled = std::make_shared<Compiled>();
    compiled->pattern = std::string(pattern);
    uint32_t flags = 0;
    if (options.caseInsensitive)
        flags |= UREGEX_CASE_INSENSITIVE;
    if (options.literal)
        flags |= UREGEX_LITERAL;
    UParseError parseError{};
    UErrorCode status = U_ZERO_ERROR;
    compiled->icuPattern.reset(icu::RegexPattern::compile(
        icu::UnicodeString::fromUTF8(icu::StringPiece(pattern.data(), static_cast<int32_t>(pattern.size()))), flags,
        parseError, status));
    if (U_FAILURE(status))
        throw RegexError("invalid regular expression \"" + compiled->pattern + "\": " + u_errorName(status));
    std::unique_ptr<icu::RegexMatcher> probe(compiled->icuPattern->matcher(icu::UnicodeString(), status));
    if (U_FAILURE(status))
        throw RegexError("cannot create a matcher for \"" + compiled->pattern + "\"");
    compiled->groupCount = static_cast<std::size_t>(probe->groupCount());
    compiled_ = std::move(compiled);
}

std::optional<Regex> Regex::cached(std::string_view pattern, Options options)
{
    static std::mutex mutex;
    static std::unordered_map<std::string, std::optional<Regex>> table;

    std::string key;
    key += options.caseInsensitive ? 'i' : '-';
    key += options.literal ? 'l' : '-';
    key += pattern;

    std::lock_guard lock(mutex);
    if (auto found = table.find(key); found != table.end())
        return found->second;
    std::optional<Regex> regex;
    try {
        regex.emplace(pattern, options);
    } catch (const RegexError&) {
        // Remembered as failing, so a bad pattern is not compiled again either.
    }
    table.emplace(std::move(key), regex);
    return regex;
}

const std::string& Regex::pattern() const
{
    return compiled_->pattern;
}

std::size_t Regex::groupCount() const
{
    return compiled_->groupCount;
}

bool Regex::isMatch(std::string_view text) const
{
    return firstMatch(text).has_value();
}

std::optional<RegexMatch> Regex::firstMatch(std::string_view text) const
{
    std::optional<RegexMatch> first;
    forEachMatch(*compiled_->icuPattern, compiled_->groupCount, text, [&](RegexMatch& match) {
        first = std::move(match);
        return false;
    });
    return first;
}

std::vector<RegexMatch> Regex::matches(std::string_view text) const
{
    std::vector<RegexMatch> all;
    forEachMatch(*compiled_->icuPattern, compiled_->groupCount, text, [&](RegexMatch& match) {
        all.push_back(std::move(match));
        return true;
    });
    return all;
}

std::string Regex::replaceAll(std::string_view text,
                              const std::function<std::string(const RegexMatch&)>& replacement) const
{
    std::string result;
    std::size_t copied = 0;
    forEachMatch(*compiled_->icuPattern, compiled_->groupCount, text, [&](const RegexMatch& match) {
        result.append(text.substr(copied, match.range().begin - copied));
        result += replacement(match);
        copied = match.range().end;
        return true;
    });
    result.append(text.substr(copied));
    return result;
}

std::string Regex::replaceAll(std::string_view text, std::string_view replacementTemplate) const
{
    return replaceAll(text, [&](const RegexMatch& match) { return expandTemplate(text, match, replacementTemplate); });
}

std::string Regex::expandTemplate(std::string_view text, const RegexMatch& match,
                                  std::string_view replacementTemplate) const
{
    std::string out;
    const std::string_view& t = replacementTemplate;
    for (std::size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c == '\\' && i + 1 < t.size()) {
            out += t[++i];
        } else if (c == '$' && i + 1 < t.size() && isDigit(t[i + 1])) {
            std::size_t group = static_cast<std::size_t>(t[++i] - '0');
            while (i + 1 < t.size() && isDigit(t[i + 1])) {
                std::size_t longer = group * 10 + static_cast<std::size_t>(t[i + 1] - '0');
                if (longer > compiled_->groupCount)
                    break;
                group = longer;
                ++i;
            }
            out += match.group(text, group);
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace Platform
