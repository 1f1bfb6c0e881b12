// qel-whisper-folders: converts a ggml Whisper model file into model folders.
#include "tools/CommandLineNumber.h"
#include "tools/ModelFolder/WhisperFolders.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: qel-whisper-folders MODEL OUTDIR [--matrices float16|float32] [--prefill]\n"
                 "       [--alignment-heads LAYER:HEAD,...]\n"
                 "Writes OUTDIR/MelSpectrogram.mlmodelc, AudioEncoder.mlmodelc, TextDecoder.mlmodelc and,\n"
                 "with --prefill, TextDecoderContextPrefill.mlmodelc. Alignment heads default to every\n"
                 "head of the upper half of the decoder's layers; an empty list gives none.\n");
    return 2;
}

// "2:0,3:5" → (2, 0), (3, 5).
std::vector<Platform::CoreML::AlignmentHead> parseHeads(std::string_view text)
{
    std::vector<Platform::CoreML::AlignmentHead> heads;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const auto item = text.substr(0, comma);
        const auto colon = item.find(':');
        if (colon == std::string_view::npos)
            throw std::invalid_argument("--alignment-heads needs LAYER:HEAD pairs, not \"" + std::string(item) + "\"");
        heads.push_back({QelTools::parseNumber<std::int64_t>("--alignment-heads", item.substr(0, colon)),
                         QelTools::parseNumber<std::int64_t>("--alignment-heads", item.substr(colon + 1))});
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return heads;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    QelTools::WhisperFolderOptions options;
    try {
        for (int i = 3; i < argc; ++i) {
            const std::string_view flag = argv[i];
            if (flag == "--prefill") {
                options.contextPrefill = true;
                continue;
            }
            if (i + 1 >= argc)
                return usage();
            const std::string_view value = argv[++i];
            if (flag == "--matrices" && (value == "float16" || value == "float32"))
                options.matrixType = value == "float16" ? Platform::CoreML::MLMultiArrayDataType::float16
                                                        : Platform::CoreML::MLMultiArrayDataType::float32;
            else if (flag == "--alignment-heads")
                options.alignmentHeads = parseHeads(value);
            else
                return usage();
        }
        QelTools::convertWhisperModel(argv[1], argv[2], options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qel-whisper-folders: %s\n", error.what());
        return 1;
    }
    return 0;
}
