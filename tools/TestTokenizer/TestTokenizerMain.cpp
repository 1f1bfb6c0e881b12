// qel-test-tokenizer: writes the English Whisper tokenizer folder built from
// GPT-2's files that scripts/fetch-tokenizer-files fetched.
#include "tools/TestTokenizer/TestTokenizer.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qel-test-tokenizer FOLDER\n");
        return 2;
    }
    try {
        if (!QelTools::writeFetchedTestTokenizer(argv[1])) {
            std::fprintf(stderr, "GPT-2's encoder.json and vocab.bpe are missing: run scripts/fetch-tokenizer-files\n");
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qel-test-tokenizer: %s\n", error.what());
        return 1;
    }
    return 0;
}
