#include "App/STT/ModelFileName.h"
#include "App/STT/STTEngineError.h"

#include <gtest/gtest.h>

using QEL::STTEngineError;

TEST(ModelFileName, MapsApplicationNamesAndRejectsEverythingElse)
{
    struct Case { std::string modelName; std::string fileName; };
    const Case mapped[] = {
        {"openai_whisper-tiny.en", "ggml-tiny.en.bin"},
        {"openai_whisper-small.en", "ggml-small.en.bin"},
        {"openai_whisper-base", "ggml-base.bin"},
        {"openai_whisper-large-v3", "ggml-large-v3.bin"},
        {"openai_whisper-", "ggml-.bin"},
        {"ggml-custom_model.bin", "ggml-custom_model.bin"},
        {"ggml-" + std::string(191, 'a') + ".bin", "ggml-" + std::string(191, 'a') + ".bin"},
    };
    for (const Case& c : mapped)
        EXPECT_EQ(QEL::ggmlFileName(c.modelName), c.fileName) << c.modelName;

    const std::string unknown[] = {
        "distil-whisper_distil-large-v3", "", "ggml-small.en", "small.en.bin",
        // Names that would escape the cache folder or bend the address.
        "openai_whisper-../../etc/passwd", "ggml-../x.bin", "ggml-a/b.bin", "openai_whisper-..",
        "openai_whisper-tiny en", "openai_whisper-tiny?x=1", "openai_whisper-tiny#", "ggml-%2e%2e.bin",
        // Names too long to be a file name with the cache's suffixes.
        "ggml-" + std::string(192, 'a') + ".bin", "openai_whisper-" + std::string(300, 'a'),
    };
    for (const std::string& name : unknown) {
        try {
            QEL::ggmlFileName(name);
            ADD_FAILURE() << "accepted " << name;
        } catch (const STTEngineError& error) {
            EXPECT_EQ(error.kind(), STTEngineError::Kind::transcriptionFailed);
            EXPECT_EQ(std::string(error.what()), "Transcription failed: Unknown model name: " + name);
        }
    }
}
