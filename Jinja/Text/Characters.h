#pragma once

// A text cut once into user-perceived characters (grapheme clusters), so that
// positions count characters and each step to the next one is an index. Two
// forms read alike: ByteCharacters for text whose every byte is a character
// (ASCII without "\r\n"), and Characters for any text, cut by its bytes when
// it is ASCII (where only "\r\n" joins two bytes) and by the Unicode
// segmentation rules otherwise.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace Jinja {

class ByteCharacters {
public:
    // Whether each byte of `text` is one character.
    static bool fits(std::string_view text);

    // `text` must outlive this object.
    explicit ByteCharacters(std::string_view text) : text_(text) {}

    std::size_t size() const { return text_.size(); }
    // Character `index`; empty at or past the end.
    std::string_view operator[](std::size_t index) const { return index < text_.size() ? text_.substr(index, 1) : ""; }
    // Whether character `index` is the single byte `byte`.
    bool is(std::size_t index, char byte) const { return index < text_.size() && text_[index] == byte; }
    // The byte of character `index` when it is one ASCII byte; otherwise, and
    // at or past the end, a byte of 0x80 or more.
    char asciiAt(std::size_t index) const { return index < text_.size() ? text_[index] : '\x80'; }
    // The characters from `begin` up to, not including, `end`.
    std::string_view slice(std::size_t begin, std::size_t end) const { return text_.substr(begin, end - begin); }

private:
    std::string_view text_;
};

class Characters {
public:
    // `text` must outlive this object.
    explicit Characters(std::string_view text);

    std::size_t size() const { return boundaries_.size() - 1; }
    std::string_view operator[](std::size_t index) const { return index < size() ? slice(index, index + 1) : ""; }
    bool is(std::size_t index, char byte) const
    {
        return index < size() && boundaries_[index + 1] - boundaries_[index] == 1 && text_[boundaries_[index]] == byte;
    }
    char asciiAt(std::size_t index) const
    {
        return index < size() && boundaries_[index + 1] - boundaries_[index] == 1 ? text_[boundaries_[index]] : '\x80';
    }
    std::string_view slice(std::size_t begin, std::size_t end) const
    {
        return text_.substr(boundaries_[begin], boundaries_[end] - boundaries_[begin]);
    }

private:
    std::string_view text_;
    // Byte offset of each character's start, and the text's length last.
    std::vector<std::uint32_t> boundaries_;
};

} // namespace Jinja
