// qel-random-ggml: writes a random-weight ggml Whisper model for tests and benchmarks.
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: qel-random-ggml --out PATH --seed N --vocab 51864|51865 [--ftype 0|1]\n"
                 "       [--width W --heads H --layers L --mels M --audio-ctx C --text-ctx T]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QelTools::RandomModelOptions options;
    std::string out;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view flag = argv[i];
            if (i + 1 >= argc)
                return usage();
            const std::string value = argv[++i];
            if (flag == "--out")
                out = value;
            else if (flag == "--seed")
                options.seed = std::stoull(value);
            else if (flag == "--vocab")
                options.vocab = std::stoi(value);
            else if (flag == "--ftype")
                options.ftype = std::stoi(value);
            else if (flag == "--width")
                options.width = std::stoi(value);
            else if (flag == "--heads")
                options.heads = std::stoi(value);
            else if (flag == "--layers")
                options.layers = std::stoi(value);
            else if (flag == "--mels")
                options.mels = std::stoi(value);
            else if (flag == "--audio-ctx")
                options.audioCtx = std::stoi(value);
            else if (flag == "--text-ctx")
                options.textCtx = std::stoi(value);
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
