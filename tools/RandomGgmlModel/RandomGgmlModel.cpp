#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include "Platform/Files/AtomicWrite.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/ML/Whisper/WhisperTensors.h"

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace QelTools {
namespace {

// splitmix64: the same numbers on every platform and standard library.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t next()
    {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }

    // Uniform in [-1, 1).
    float symmetric() { return static_cast<float>(next() >> 40) * 0x1p-23f - 1.0f; }

private:
    uint64_t state_;
};

class Writer {
public:
    explicit Writer(std::vector<std::byte>& out) : out_(out) {}

    void raw(const void* data, size_t size)
    {
        const size_t at = out_.size();
        out_.resize(at + size);
        std::memcpy(out_.data() + at, data, size);
    }
    void int32(int32_t value) { raw(&value, sizeof value); }
    void uint32(uint32_t value) { raw(&value, sizeof value); }

private:
    std::vector<std::byte>& out_;
};

class ModelWriter {
public:
    ModelWriter(const RandomModelOptions& options, std::vector<std::byte>& out)
        : options_(options), random_(options.seed), out_(out)
    {
    }

    void write()
    {
        const auto& o = options_;
        out_.uint32(0x67676d6c);
        for (int32_t value :
             {o.vocab, o.audioCtx, o.width, o.heads, o.layers, o.textCtx, o.width, o.heads, o.layers, o.mels, o.ftype})
            out_.int32(value);
        writeMelFilters();
        writeVocabulary();
        for (const auto& tensor : whisperTensors(o))
            writeTensor(tensor);
    }

private:
    void writeMelFilters()
    {
        constexpr int bins = 201;
        out_.int32(options_.mels);
        out_.int32(bins);
        // Triangular bands spread evenly over the bins.
        const float spacing = static_cast<float>(bins - 1) / static_cast<float>(options_.mels + 1);
        for (int m = 0; m < options_.mels; ++m)
            for (int k = 0; k < bins; ++k) {
                const float centre = spacing * static_cast<float>(m + 1);
                const float weight = std::max(0.0f, 1.0f - std::fabs(static_cast<float>(k) - centre) / spacing);
                out_.raw(&weight, sizeof weight);
            }
    }

    void writeVocabulary()
    {
        const int32_t count = ordinaryTokenCount(options_.vocab);
        out_.int32(count);
        for (int32_t id = 0; id < count; ++id) {
            std::string piece;
            if (!options_.pieces.empty()) {
                piece = options_.pieces[static_cast<size_t>(id)];
            } else if (id < 256) {
                piece.push_back(static_cast<char>(id));
            } else {
                if (random_.next() % 4 != 0)
                    piece.push_back(' ');
                const int letters = 2 + static_cast<int>(random_.next() % 6);
                for (int i = 0; i < letters; ++i)
                    piece.push_back(static_cast<char>('a' + random_.next() % 26));
            }
            out_.uint32(static_cast<uint32_t>(piece.size()));
            out_.raw(piece.data(), piece.size());
        }
    }

    // Values are uniform around the tensor's centre.
    void writeTensor(const WhisperTensor& tensor)
    {
        const bool half = tensor.followsFtype && options_.ftype == 1;
        out_.int32(static_cast<int32_t>(tensor.extents.size()));
        out_.int32(static_cast<int32_t>(tensor.name.size()));
        out_.int32(half ? 1 : 0);
        size_t count = 1;
        for (int32_t extent : tensor.extents) {
            out_.int32(extent);
            count *= static_cast<size_t>(extent);
        }
        out_.raw(tensor.name.data(), tensor.name.size());
        for (size_t i = 0; i < count; ++i) {
            const float value = tensor.centre + tensor.spread * random_.symmetric();
            if (half) {
                const uint16_t bits = Platform::ML::narrowToHalfFloat(value);
                out_.raw(&bits, sizeof bits);
            } else {
                out_.raw(&value, sizeof value);
            }
        }
    }

    const RandomModelOptions& options_;
    Random random_;
    Writer out_;
};

} // namespace

std::vector<WhisperTensor> whisperTensors(const RandomModelOptions& options)
{
    Platform::ML::WhisperModel model;
    model.hparams = {.nVocab = options.vocab,
                     .nAudioCtx = options.audioCtx,
                     .nAudioState = options.width,
                     .nAudioHead = options.heads,
                     .nAudioLayer = options.layers,
                     .nTextCtx = options.textCtx,
                     .nTextState = options.width,
                     .nTextHead = options.heads,
                     .nTextLayer = options.layers,
                     .nMels = options.mels,
                     .ftype = options.ftype};
    std::vector<WhisperTensor> tensors;
    for (const auto& tensor : Platform::ML::whisperModelTensors(model)) {
        WhisperTensor random{tensor.name, {tensor.shape.rbegin(), tensor.shape.rend()}, tensor.matrix != nullptr};
        // Products of order one: uniform weights with the variance of 1/inputs.
        if (tensor.matrix)
            random.spread = tensor.name == "decoder.token_embedding.weight"
                                ? options.tokenEmbeddingSpread
                                : std::sqrt(3.0f / static_cast<float>(tensor.columns()));
        else if (tensor.name.ends_with(".bias"))
            random.spread = 0.05f;
        else if (tensor.name.ends_with("positional_embedding"))
            random.spread = 0.1f;
        else // a norm's scale
            random = {random.name, random.extents, false, 0.1f, 1.0f};
        tensors.push_back(std::move(random));
    }
    return tensors;
}

int ordinaryTokenCount(int vocab)
{
    return vocab == 51864 ? 50256 : 50257;
}

std::vector<std::byte> randomGgmlModel(const RandomModelOptions& options)
{
    if (options.vocab < 51864 || options.vocab > 51866 || (options.ftype != 0 && options.ftype != 1) ||
        options.width < 1 || options.heads < 1 || options.width % options.heads != 0 || options.layers < 1 ||
        options.mels < 1 || options.audioCtx < 1 || options.textCtx < 1 ||
        !std::isfinite(options.tokenEmbeddingSpread) || options.tokenEmbeddingSpread < 0)
        throw std::invalid_argument("Invalid random model options");
    if (!options.pieces.empty() && options.pieces.size() != static_cast<size_t>(ordinaryTokenCount(options.vocab)))
        throw std::invalid_argument("A vocabulary of " + std::to_string(options.vocab) + " tokens stores " +
                                    std::to_string(ordinaryTokenCount(options.vocab)) + " pieces, not " +
                                    std::to_string(options.pieces.size()));
    std::vector<std::byte> bytes;
    ModelWriter(options, bytes).write();
    return bytes;
}

void writeRandomGgmlModel(const std::filesystem::path& path, const RandomModelOptions& options)
{
    const auto bytes = randomGgmlModel(options);
    Platform::writeFileAtomically(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

} // namespace QelTools
