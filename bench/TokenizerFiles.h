#pragma once

#include <filesystem>

namespace QelBench {

// Where scripts/fetch-tokenizer-files keeps the files it fetches:
// <folder>/<name>/<file name>.
std::filesystem::path tokenizerFilesFolder();

} // namespace QelBench
