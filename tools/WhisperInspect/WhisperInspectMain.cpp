// qel-whisper-inspect MODEL AUDIO_F32 OUTDIR [--language CODE] [--prompt TEXT] [--steps N]
//
// Runs a ggml Whisper model over raw little-endian float32 16 kHz audio and
// writes the first window's intermediate results, for checking the runtime
// against an independent implementation:
//   mel.f32      n_mels x frames, mel-major
//   encoder.f32  n_audio_ctx x n_audio_state
//   logits.f32   one row of n_vocab raw (unsuppressed) logits per decoding
//                step: one per chosen token, plus the step that chose
//                end-of-text when the window ended that way
//   tokens.txt   the chosen token ids, space separated, without the start
//                sequence and without end-of-text
//   text.txt     the transcription of the whole audio
#include "Platform/Files/ReadFile.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "QelCore/Decoding/WhisperTokens.h"
#include "QelCore/Decoding/WhisperTranscriber.h"
#include "tools/CommandLineNumber.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace Platform::ML;
using namespace QelCore;

void writeFloats(const std::filesystem::path& path, const float* values, size_t count)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(values), static_cast<std::streamsize>(count * sizeof(float)));
    if (!file)
        throw std::runtime_error("Cannot write " + path.string());
}

class FirstWindowRecorder : public TranscriptionObserver {
public:
    FirstWindowRecorder(const WhisperModel& model, const std::filesystem::path& directory)
        : model_(model), directory_(directory), logits_(directory / "logits.f32", std::ios::binary | std::ios::trunc)
    {
    }

    void melComputed(int window, const float* mel) override
    {
        if (window == 0)
            writeFloats(directory_ / "mel.f32", mel, static_cast<size_t>(model_.hparams.nMels) * model_.melFrames());
    }

    void encoderFinished(int window, const float* output) override
    {
        if (window == 0)
            writeFloats(directory_ / "encoder.f32", output,
                        static_cast<size_t>(model_.hparams.nAudioCtx) * model_.hparams.nAudioState);
    }

    void logitsComputed(int window, const float* logits) override
    {
        if (window == 0)
            logits_.write(reinterpret_cast<const char*>(logits),
                          static_cast<std::streamsize>(model_.hparams.nVocab * sizeof(float)));
    }

    void tokenChosen(int window, int token) override
    {
        if (window != 0)
            return;
        if (!tokens_.empty())
            tokens_.push_back(' ');
        tokens_.append(std::to_string(token));
    }

    void finish()
    {
        logits_.close();
        std::ofstream(directory_ / "tokens.txt") << tokens_ << "\n";
    }

private:
    const WhisperModel& model_;
    std::filesystem::path directory_;
    std::ofstream logits_;
    std::string tokens_;
};

int usage()
{
    std::fprintf(stderr, "usage: qel-whisper-inspect MODEL AUDIO_F32 OUTDIR [--language CODE] "
                         "[--prompt TEXT] [--steps N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return usage();
    std::string language = "auto";
    std::string prompt;
    int steps = 0;
    try {
        for (int i = 4; i < argc; i += 2) {
            const std::string flag = argv[i];
            if (i + 1 >= argc)
                return usage();
            if (flag == "--language")
                language = argv[i + 1];
            else if (flag == "--prompt")
                prompt = argv[i + 1];
            else if (flag == "--steps")
                steps = QelTools::parseNumber<int>(flag, argv[i + 1]);
            else
                return usage();
        }

        const auto model = loadGgmlWhisperModel(argv[1]);
        const WhisperVocabulary vocabulary(model.vocabulary);

        const std::string bytes = Platform::readFile(argv[2]);
        std::vector<float> samples(bytes.size() / sizeof(float));
        if (!samples.empty()) // an empty file is silence; memcpy must not see null pointers
            std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));

        const std::filesystem::path directory = argv[3];
        std::filesystem::create_directories(directory);
        const auto promptTokens = vocabulary.tokenize(prompt);
        DecodingSettings settings;
        settings.language = languageSetting(language, SpecialTokens::forVocabularySize(model.hparams.nVocab));
        settings.prompt = promptTokens;
        settings.maxTokensPerWindow = steps;

        FirstWindowRecorder recorder(model, directory);
        WhisperTranscriber transcriber(model, vocabulary);
        const std::string text = transcriber.transcribe(samples.data(), static_cast<long>(samples.size()),
                                                        settings, &recorder);
        recorder.finish();
        std::ofstream(directory / "text.txt", std::ios::binary) << text;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qel-whisper-inspect: %s\n", error.what());
        return 1;
    }
    return 0;
}
