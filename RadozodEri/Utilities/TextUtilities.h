#pragma once

#include <string_view>
#include <vector>

// How well decoded text compresses: a window that repeats itself compresses
// unusually well, and the decoder retries such a window at a higher
// temperature.
namespace RadozodEri::TextUtilities {

// The byte count of the ids (4 little-endian bytes each) over its raw DEFLATE
// size at the default level; +infinity when compression fails.
float compressionRatio(const std::vector<int>& tokens);
// The same for the UTF-8 bytes of a text; +infinity for an empty text.
float compressionRatio(std::string_view text);

} // namespace RadozodEri::TextUtilities

namespace RadozodEri {
using TextUtilities::compressionRatio;
}
