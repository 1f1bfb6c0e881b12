#pragma once

// The spellings made from a model type ("bert", "xlm-roberta"): a file name
// of the hub's resources and a tokenizer class name.

#include <string>
#include <string_view>

namespace Hub {

// Not empty, and only letters, digits, "_" and "-".
bool isResourceName(std::string_view modelType);

// Each word's first letter upper-case and the rest lower-case, a word being
// a run of letters and digits: "xlm-roberta" gives "Xlm-Roberta".
std::string capitalizedWords(std::string_view text);

} // namespace Hub
