#include "bench/TinyEnglishEngine.h"

#include "tools/ModelFolder/WhisperFolders.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace QelBench {

std::shared_ptr<RadozodEri::RadozodEri> tinyEnglishEngine()
{
    static const std::shared_ptr<RadozodEri::RadozodEri> made = []() -> std::shared_ptr<RadozodEri::RadozodEri> {
        static const auto folder =
            std::filesystem::temp_directory_path() / ("qel-bench-engine-" + std::to_string(getpid()));
        std::atexit([] { std::filesystem::remove_all(folder); });
        QelTools::writeRandomModelFolders(
            folder,
            {.seed = 7, .vocab = QelTools::englishVocabularySize, .ftype = 1, .width = 384, .heads = 6, .layers = 4});
        if (!QelTools::writeFetchedTestTokenizer(folder))
            return nullptr;
        RadozodEri::RadozodEriConfig config;
        config.modelFolder = folder.string();
        config.download = false;
        config.load = true;
        config.verbose = false;
        return RadozodEri::RadozodEri::create(config);
    }();
    return made;
}

} // namespace QelBench
