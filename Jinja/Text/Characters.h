#pragma once

// A text cut once into user-perceived characters (grapheme clusters), so that
// positions count characters and each step to the next one is an index. ASCII
// text is cut by its bytes, where only "\r\n" joins two bytes into one
// character; other text goes through the Unicode segmentation rules.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace Jinja {

class Characters {
public:
    // `text` must outlive this object.
    explicit Characters(std::string_view text);

    std::size_t size() const { return bytewise() ? text_.size() : boundaries_.size() - 1; }
    // Character `index`; empty at or past the end.
    std::string_view operator[](std::size_t index) const
    {
        if (index >= size())
            return {};
        return bytewise() ? text_.substr(index, 1) : slice(index, index + 1);
    }
    // Whether character `index` is the single byte `byte`.
    bool is(std::size_t index, char byte) const
    {
        if (bytewise())
            return index < text_.size() && text_[index] == byte;
        return index < size() && boundaries_[index + 1] - boundaries_[index] == 1 && text_[boundaries_[index]] == byte;
    }
    // The characters from `begin` up to, not including, `end`.
    std::string_view slice(std::size_t begin, std::size_t end) const
    {
        if (bytewise())
            return text_.substr(begin, end - begin);
        return text_.substr(boundaries_[begin], boundaries_[end] - boundaries_[begin]);
    }
    // Whether each byte is one character (ASCII without "\r\n"), so that
    // callers may search the bytes directly.
    bool bytewise() const { return boundaries_.empty(); }
    std::string_view text() const { return text_; }

private:
    std::string_view text_;
    // Byte offset of each character's start, and the text's length last;
    // empty when each byte is a character.
    std::vector<std::uint32_t> boundaries_;
};

} // namespace Jinja
