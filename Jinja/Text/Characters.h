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

    std::size_t size() const { return boundaries_.size() - 1; }
    // Character `index`; empty at or past the end.
    std::string_view operator[](std::size_t index) const
    {
        if (index >= size())
            return {};
        return text_.substr(boundaries_[index], boundaries_[index + 1] - boundaries_[index]);
    }
    // Whether character `index` is the single byte `byte`.
    bool is(std::size_t index, char byte) const
    {
        return index < size() && boundaries_[index + 1] - boundaries_[index] == 1 && text_[boundaries_[index]] == byte;
    }
    // The characters from `begin` up to, not including, `end`.
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
