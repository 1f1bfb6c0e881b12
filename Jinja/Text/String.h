#pragma once

// The template language's text: UTF-8 whose equality, hash and order are those
// of its canonical composed form (NFC), so that a precomposed and a decomposed
// "é" name the same variable or key. Text known to be composed already (ASCII,
// and what passes the NFC check when it is made) compares by its bytes. Each
// text keeps the hash of its composed form from when it is made, so that
// lookups by name neither hash it again nor compare the bytes of texts that
// differ.

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Jinja {

class String {
public:
    String() : String(std::string()) {}
    String(std::string text);
    String(std::string_view text) : String(std::string(text)) {}
    String(const char* text) : String(std::string(text)) {}

    // The bytes as written, not normalised.
    const std::string& utf8() const { return text_; }
    bool empty() const { return text_.empty(); }

    friend bool operator==(const String& first, const String& second)
    {
        if (first.hash_ != second.hash_)
            return false;
        if (first.composed_ && second.composed_)
            return first.text_ == second.text_;
        return equalComposedForms(first, second);
    }
    // By the code points of the NFC forms, which is their UTF-8 byte order.
    friend std::strong_ordering operator<=>(const String& first, const String& second);

    // Equal texts hash equally under one seed.
    friend std::int64_t seededHash(const String& text, std::int64_t seed);

private:
    static bool equalComposedForms(const String& first, const String& second);

    std::string text_;
    // Of the composed form, under seed 0.
    std::uint64_t hash_;
    bool composed_ = true;
};

} // namespace Jinja

template <>
struct std::hash<Jinja::String> {
    std::size_t operator()(const Jinja::String& text) const { return static_cast<std::size_t>(seededHash(text, 0)); }
};
