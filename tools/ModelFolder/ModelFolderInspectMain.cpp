// qel-model-folder-inspect MODEL FOLDERS AUDIO_F32 OUTDIR [--language CODE] [--steps N]
//
// Runs the model folders that the ggml Whisper model file MODEL was converted
// into (MODEL gives the vocabulary) over the first window of raw little-endian float32 16 kHz audio, the way the engine
// drives them: one "TextDecoder" prediction per token, the key-value cache
// kept in the caller's buffers of halves. Writes, for checking against an
// independent implementation:
//   mel.f32      n_mels x frames, mel-major
//   encoder.f32  n_audio_ctx x n_audio_state
//   logits.f32   one row of n_vocab logits per greedy choice
//   alignment.f32 the alignment weights that came with them, n_audio_ctx each
//   tokens.txt   the chosen tokens after the start sequence, end-of-text excluded
//   prefill.f32  when FOLDERS holds a context prefill: its key and value caches
//                for the language and the transcribe, then the translate task,
//                [task][keys, values][layer x width][position]
// Greedy choices follow the engine library's rules, so the tokens compare with
// qel-whisper-inspect's on the same model; the language must be given.
#include "Platform/CoreML/MLModel.h"
#include "Platform/CoreML/MLModelError.h"
#include "Platform/ML/Ops/Transpose.h"
#include "QelCore/Decoding/GreedyDecoding.h"
#include "QelCore/Decoding/WhisperTokens.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"
#include "tools/CommandLineNumber.h"
#include "tools/ModelFolder/FolderDecoding.h"
#include "tools/ModelFolder/WhisperFolders.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace Platform::CoreML;
using namespace QelTools;
using Inputs = std::map<std::string, MLFeatureValue>;

class FloatFile {
public:
    explicit FloatFile(const std::filesystem::path& path) : file_(path, std::ios::binary | std::ios::trunc), path_(path) {}

    void write(const std::vector<float>& values)
    {
        file_.write(reinterpret_cast<const char*>(values.data()), static_cast<std::streamsize>(values.size() * 4));
        if (!file_)
            throw std::runtime_error("Cannot write " + path_.string());
    }

private:
    std::ofstream file_;
    std::filesystem::path path_;
};

int usage()
{
    std::fprintf(stderr,
                 "usage: qel-model-folder-inspect MODEL FOLDERS AUDIO_F32 OUTDIR [--language CODE] [--steps N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5)
        return usage();
    std::string language = "en";
    int steps = 20;
    try {
        for (int i = 5; i < argc; i += 2) {
            const std::string flag = argv[i];
            if (i + 1 >= argc)
                return usage();
            if (flag == "--language")
                language = argv[i + 1];
            else if (flag == "--steps")
                steps = QelTools::parseNumber<int>(flag, argv[i + 1]);
            else
                return usage();
        }
        const std::filesystem::path folders = argv[2], directory = argv[4];
        std::filesystem::create_directories(directory);
        const auto melModel = MLModel::load(folders / QelTools::kMelSpectrogramFolder);
        const auto encoderModel = MLModel::load(folders / QelTools::kAudioEncoderFolder);
        const auto decoderModel = MLModel::load(folders / QelTools::kTextDecoderFolder);

        // The first window, cut or padded with silence.
        const auto& audioShape = melModel->modelDescription().inputDescriptionsByName.at("audio").multiArrayConstraint->shape;
        MLMultiArray window(audioShape, MLMultiArrayDataType::float32);
        std::ifstream audioFile(argv[3], std::ios::binary);
        if (!audioFile)
            throw std::runtime_error(std::string("Cannot read ") + argv[3]);
        audioFile.read(reinterpret_cast<char*>(window.mutableValues<float>().data()),
                       static_cast<std::streamsize>(window.byteCount()));

        const auto mel = predictArray(*melModel, "audio", window, "melspectrogram_features");
        FloatFile(directory / "mel.f32").write(arrayFloats(mel));
        const auto audio = predictArray(*encoderModel, "melspectrogram_features", mel, "encoder_output_embeds");
        // Channel-major in the model, position-major in the file.
        const auto channels = arrayFloats(audio);
        std::vector<float> positions(channels.size());
        Platform::ML::transpose(channels.data(), audio.shape()[1], audio.shape()[3], positions.data());
        FloatFile(directory / "encoder.f32").write(positions);

        const auto model = QelCore::loadGgmlWhisperModel(argv[1]);
        const QelCore::WhisperVocabulary vocabulary(model.vocabulary);
        const auto special = QelCore::SpecialTokens::forVocabularySize(model.hparams.nVocab);
        const auto languageIndex = QelCore::languageSetting(language, special);
        if (special.multilingual() && !languageIndex)
            throw std::invalid_argument("--language must name a language");
        std::vector<int> sequence;
        QelCore::appendStartSequence(special, languageIndex.value_or(0), sequence);

        FolderDecoding decoding(*decoderModel, audio);
        std::shared_ptr<const MLFeatureProvider> outputs;
        for (size_t i = 0; i < sequence.size(); ++i)
            outputs = decoding.step(sequence[i], static_cast<int>(i));
        const QelCore::GreedyChoice greedy(special, vocabulary);
        const auto first = static_cast<int>(sequence.size());
        const int budget = std::min(steps, static_cast<int>(decoding.keys.shape()[3]) - first);
        FloatFile logitsFile(directory / "logits.f32"), alignmentFile(directory / "alignment.f32");
        std::string tokens;
        for (int n = 0; n < budget; ++n) {
            auto logits = arrayFloats(outputArray(*outputs, "logits"));
            logitsFile.write(logits);
            alignmentFile.write(arrayFloats(outputArray(*outputs, "alignment_heads_weights")));
            const int token = greedy.choose(logits, n == 0);
            if (token == special.endOfText)
                break;
            tokens += (tokens.empty() ? "" : " ") + std::to_string(token);
            if (n + 1 < budget)
                outputs = decoding.step(token, first + n);
        }
        std::ofstream(directory / "tokens.txt") << tokens << "\n";

        const auto prefillFolder = folders / QelTools::kContextPrefillFolder;
        if (std::filesystem::exists(prefillFolder)) {
            const auto prefill = MLModel::load(prefillFolder);
            FloatFile prefillFile(directory / "prefill.f32");
            for (int task : {special.transcribe, special.translate}) {
                const auto caches = prefill->prediction(MLDictionaryFeatureProvider(Inputs{
                    {"task", MLFeatureValue(integerArray(task == special.translate ? 1 : 0))},
                    {"language", MLFeatureValue(integerArray(special.firstLanguage + languageIndex.value_or(0)))}}));
                prefillFile.write(arrayFloats(outputArray(*caches, "key_cache_prefill")));
                prefillFile.write(arrayFloats(outputArray(*caches, "value_cache_prefill")));
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qel-model-folder-inspect: %s\n", error.what());
        return 1;
    }
    return 0;
}
