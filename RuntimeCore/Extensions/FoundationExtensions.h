#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace RuntimeCore {

// `value` rounded to `decimalPlaces` places, halves away from zero, in 32-bit
// arithmetic. A negative count rounds to tens, hundreds and so on.
float rounded(float value, int decimalPlaces);

// Expands a leading "~" or "~user" and makes a relative path absolute against the
// current working folder.
std::string resolveAbsolutePath(std::string_view path);

// Consecutive slices of at most `size` elements; none for a size below 1.
template <class T>
std::vector<std::vector<T>> batched(const std::vector<T>& elements, std::ptrdiff_t size)
{
    std::vector<std::vector<T>> batches;
    if (size < 1)
        return batches;
    const size_t step = static_cast<size_t>(size);
    for (size_t start = 0; start < elements.size(); start += step) {
        size_t end = std::min(start + step, elements.size());
        batches.emplace_back(elements.begin() + static_cast<std::ptrdiff_t>(start),
                             elements.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return batches;
}

// The elements in order, each kept only at its first occurrence.
template <class T>
std::vector<T> orderedSet(const std::vector<T>& elements)
{
    std::unordered_set<T> seen;
    std::vector<T> unique;
    for (const auto& element : elements)
        if (seen.insert(element).second)
            unique.push_back(element);
    return unique;
}

// Removes up to `upto` copies of `character` (one user-perceived character)
// from the end of `text`.
std::string trimmingFromEnd(std::string_view text, std::string_view character, int upto);

// The longest prefix of `text` that ends at a natural boundary and encodes to at
// least `minTokenCount` tokens: the last sentence end (. ! ? line feed) is tried
// first, then the last clause break (, ; : - en dash), then the last blank (which
// is left out). Each candidate is trimmed of white space; none is long enough,
// none is returned. `encode` is called at most three times.
std::optional<std::string> lastNaturalBoundary(std::string_view text, int minTokenCount,
                                               const std::function<std::vector<int>(std::string_view)>& encode);

// The names that the shell pattern `glob` matches (fnmatch without flags:
// case-sensitive, "*" and "?" also match "/"), in their order.
std::vector<std::string> matching(const std::vector<std::string>& names, const std::string& glob);

} // namespace RuntimeCore
