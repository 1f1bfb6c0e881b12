#pragma once

// English text that the tokenizer benchmarks read.

#include <random>
#include <string>

namespace QelBench {

// Words drawn at random from a fixed list, so every run reads the same text.
inline std::string englishText(std::size_t bytes)
{
    static const char* const words[] = {
        "the",    "quick",     "brown",     "fox",      "jumps",    "over",  "a",     "lazy",
        "dog",    "while",     "people",    "speak",    "clearly",  "into",  "their", "microphones,",
        "and",    "dictation", "turns",     "every",    "sentence", "into",  "text.", "Meetings",
        "notes",  "emails",    "reminders", "should",   "appear",   "where", "the",   "cursor",
        "waits;", "nothing",   "else",      "changes.", "It's",     "1,024", "words", "today!",
    };
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(words) - 1);
    std::string text;
    while (text.size() < bytes)
        text.append(words[pick(random)]).append(" ");
    text.resize(bytes);
    return text;
}

} // namespace QelBench
