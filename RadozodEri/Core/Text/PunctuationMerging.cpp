#include "RadozodEri/Core/Text/SegmentSeeker.h"

#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/UnicodeScalars.h"

namespace RadozodEri {

namespace {

// A mark belongs to a punctuation list when it is a non-empty part of it.
bool occursIn(std::string_view text, std::string_view punctuation)
{
    return !text.empty() && punctuation.find(text) != std::string_view::npos;
}

std::string_view trimmed(std::string_view text)
{
    return Platform::trimming(text, Platform::CharacterSet::whitespaces);
}

bool startsWithWhitespace(std::string_view text)
{
    const std::u32string scalars = Platform::unicodeScalars(text.substr(0, 4));
    return !scalars.empty() && Platform::contains(Platform::CharacterSet::whitespaces, scalars.front());
}

WordTiming joined(const WordTiming& first, const WordTiming& second, const WordTiming& timedLike)
{
    WordTiming word = timedLike;
    word.word = first.word + second.word;
    word.tokens = first.tokens;
    word.tokens.insert(word.tokens.end(), second.tokens.begin(), second.tokens.end());
    return word;
}

} // namespace

std::vector<WordTiming> SegmentSeeker::mergePunctuations(const std::vector<WordTiming>& alignment,
                                                         std::string_view prepended, std::string_view appended)
{
    if (alignment.empty())
        return {};

    // Opening marks ("␣¿") join the word after them, with that word's times.
    // A run of marks joins as a whole: each merge builds on the entry the
    // previous merge made.
    std::vector<WordTiming> opened;
    if (!occursIn(trimmed(alignment.front().word), prepended))
        opened.push_back(alignment.front());
    for (std::size_t index = 1; index < alignment.size(); ++index) {
        const WordTiming& previous = alignment[index - 1];
        const WordTiming& current = alignment[index];
        if (startsWithWhitespace(previous.word) && occursIn(trimmed(previous.word), prepended)) {
            if (opened.empty())
                opened.push_back(joined(previous, current, current));
            else
                opened.back() = joined(opened.back(), current, current);
        } else {
            opened.push_back(current);
        }
    }

    // Closing marks ("?") join the word before them, with that word's times.
    std::vector<WordTiming> closed{opened.front()};
    for (std::size_t index = 1; index < opened.size(); ++index) {
        const WordTiming& previous = opened[index - 1];
        const WordTiming& current = opened[index];
        if (!previous.word.ends_with(' ') && occursIn(trimmed(current.word), appended))
            closed.back() = joined(closed.back(), current, closed.back());
        else
            closed.push_back(current);
    }

    std::erase_if(closed, [&](const WordTiming& word) {
        return word.word.empty() || occursIn(word.word, appended) || occursIn(word.word, prepended);
    });
    return closed;
}

} // namespace RadozodEri
