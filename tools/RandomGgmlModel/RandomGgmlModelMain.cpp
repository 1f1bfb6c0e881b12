// qel-random-ggml: writes a random-weight ggml Whisper model for tests and benchmarks.
#include "tools/CommandLineNumber.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"
#include "tools/TestTokenizer/TestTokenizer.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <string_view>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: qel-random-ggml --out PATH --seed N --vocab 51864|51865 [--ftype 0|1]\n"
                         "       [--width W --heads H --layers L --mels M --audio-ctx C --text-ctx T]\n"
                         "       [--pieces-from TOKENIZER_FOLDER] [--token-embedding-spread S]\n"
                         "--pieces-from stores that tokenizer's pieces as the vocabulary, so that the\n"
                         "model's tokens read as the tokenizer reads them; a wider token-embedding\n"
                         "spread (default 0.1) makes the model surer of the tokens it chooses.\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QelTools::RandomModelOptions options;
    const std::map<std::string_view, int*> sizeFlags = {
        {"--vocab", &options.vocab},        {"--ftype", &options.ftype},      {"--width", &options.width},
        {"--heads", &options.heads},        {"--layers", &options.layers},    {"--mels", &options.mels},
        {"--audio-ctx", &options.audioCtx}, {"--text-ctx", &options.textCtx},
    };
    std::string out;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view flag = argv[i];
            if (i + 1 >= argc)
                return usage();
            const std::string_view value = argv[++i];
            if (flag == "--out")
                out = value;
            else if (flag == "--pieces-from")
                options.pieces = QelTools::ordinaryPieces(std::string(value));
            else if (flag == "--token-embedding-spread")
                options.tokenEmbeddingSpread = QelTools::parseNumber<float>(flag, value);
            else if (flag == "--seed")
                options.seed = QelTools::parseNumber<uint64_t>(flag, value);
            else if (const auto size = sizeFlags.find(flag); size != sizeFlags.end())
                *size->second = QelTools::parseNumber<int>(flag, value);
            else
                return usage();
        }
        if (out.empty())
            return usage();
        QelTools::writeRandomGgmlModel(out, options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qel-random-ggml: %s\n", error.what());
        return 1;
    }
    return 0;
}
