#include "bench/TokenizerFiles.h"

#include <cstdlib>

namespace QelBench {

std::filesystem::path tokenizerFilesFolder()
{
    if (const char* folder = std::getenv("QEL_TOKENIZER_FILES"))
        return folder;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"))
        return std::filesystem::path(cache) / "qel/tokenizer-files";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/") / ".cache/qel/tokenizer-files";
}

} // namespace QelBench
