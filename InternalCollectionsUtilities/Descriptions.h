#pragma once

// The text forms the containers print themselves with: "[a, b]" for
// sequences, "[k: v]" for key-value collections ("[:]" when empty), elements in
// their debug form, and addresses as "0x" and lowercase hexadecimal.

#include <charconv>
#include <concepts>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace InternalCollectionsUtilities {

// A string in double quotes, with quotes, backslashes and control characters escaped.
inline void appendDebugForm(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\0': out += "\\0"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                char hex[3];
                auto end = std::to_chars(hex, hex + sizeof hex, static_cast<unsigned char>(c), 16).ptr;
                out += "\\u{";
                out.append(hex, end);
                out += '}';
            } else {
                out += c;
            }
        }
    }
    out += '"';
}
inline void appendDebugForm(std::string& out, const std::string& text)
{
    appendDebugForm(out, std::string_view(text));
}
inline void appendDebugForm(std::string& out, const char* text)
{
    appendDebugForm(out, std::string_view(text));
}

inline void appendDebugForm(std::string& out, bool value)
{
    out += value ? "true" : "false";
}

template <class T>
requires(std::is_arithmetic_v<T> && !std::same_as<T, bool> &&
         !std::same_as<T, char>) void appendDebugForm(std::string& out, T value)
{
    char text[64];
    out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// Values that describe themselves (the containers themselves, for nesting).
template <class T>
requires requires(const T& value)
{
    {
        value.description()
        } -> std::convertible_to<std::string>;
}
void appendDebugForm(std::string& out, const T& value)
{
    out += value.description();
}

template <class Collection>
std::string _arrayDescription(const Collection& elements);

// Nested arrays, as a template object's groups hold them.
template <class T, class Allocator>
void appendDebugForm(std::string& out, const std::vector<T, Allocator>& elements)
{
    out += _arrayDescription(elements);
}

// The debug form of any value, found by argument-dependent lookup first, so an
// element type can bring its own overload.
template <class T>
std::string debugForm(const T& value)
{
    std::string out;
    appendDebugForm(out, value);
    return out;
}

template <class Collection>
std::string _arrayDescription(const Collection& elements)
{
    std::string out = "[";
    bool first = true;
    for (const auto& element : elements) {
        if (!first)
            out += ", ";
        first = false;
        appendDebugForm(out, element);
    }
    out += ']';
    return out;
}

// Over anything that iterates as pairs with `key` and `value`, or as std::pair.
template <class Collection>
std::string _dictionaryDescription(const Collection& pairs)
{
    std::string out = "[";
    bool first = true;
    for (const auto& [key, value] : pairs) {
        if (!first)
            out += ", ";
        first = false;
        appendDebugForm(out, key);
        out += ": ";
        appendDebugForm(out, value);
    }
    if (first)
        return "[:]";
    out += ']';
    return out;
}

inline std::string _addressString(std::uintptr_t address)
{
    char text[2 + 16];
    text[0] = '0';
    text[1] = 'x';
    return std::string(text, std::to_chars(text + 2, text + sizeof text, address, 16).ptr);
}
inline std::string _addressString(const void* pointer)
{
    return _addressString(reinterpret_cast<std::uintptr_t>(pointer));
}

} // namespace InternalCollectionsUtilities
