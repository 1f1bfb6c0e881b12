#include "QelCore/Ggml/GgmlWhisperLoader.h"

#include "Platform/Files/ReadFile.h"
#include "Platform/Math/IntegerRounding.h"
#include "Platform/Memory/LargeBuffer.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/ML/Whisper/WhisperTensors.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace QelCore {

using namespace Platform::ML;

namespace {

constexpr uint32_t kMagic = 0x67676d6c;
constexpr int32_t kTypeF32 = 0;
constexpr int32_t kTypeF16 = 1;
constexpr int kMaxDims = 4;
constexpr int32_t kMaxTensorNameLength = 256;
constexpr uint32_t kMaxPieceLength = 4096;
// Half-precision vectors are widened in slices of this many elements; a file
// is read ahead by at least one slice's bytes.
constexpr size_t kSliceElements = size_t{1} << 18;
constexpr size_t kReadAhead = kSliceElements * sizeof(float);
// Where each tensor starts in the model's storage: floats and vector loads
// need no more.
constexpr size_t kTensorAlignment = 16;

// Reads little-endian values from a model file's bytes, in memory or in a file;
// every read is checked against the bytes that remain. A file is read with
// read(2) into a small buffer, never mapped, so a file cut short or rewritten
// while it loads gives an error rather than a SIGBUS.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::byte> bytes) : memory_(bytes), size_(bytes.size()) {}
    explicit ByteReader(const Platform::RegularFile& file) : file_(&file), size_(file.size()) {}

    size_t remaining() const { return size_ - offset_; }
    bool atEnd() const { return offset_ == size_; }

    // The next `count` bytes; valid until the next read.
    std::span<const std::byte> take(size_t count, const char* what)
    {
        require(count, what);
        std::span<const std::byte> part;
        if (!file_) {
            part = memory_.subspan(offset_, count);
        } else {
            if (offset_ < bufferStart_ || offset_ + count > bufferStart_ + buffered_)
                fill(count);
            part = {buffer_.get() + (offset_ - bufferStart_), count};
        }
        offset_ += count;
        return part;
    }

    // Copies the next `count` bytes to `destination`. A file's bytes that are
    // not in the buffer yet are read straight to it, so loading the weights
    // costs one copy of the file.
    void copyTo(std::byte* destination, size_t count, const char* what)
    {
        require(count, what);
        if (!file_) {
            std::memcpy(destination, memory_.data() + offset_, count);
        } else {
            size_t copied = 0;
            if (offset_ >= bufferStart_ && offset_ < bufferStart_ + buffered_) {
                copied = std::min(count, bufferStart_ + buffered_ - offset_);
                std::memcpy(destination, buffer_.get() + (offset_ - bufferStart_), copied);
            }
            if (copied < count)
                file_->readExactly(destination + copied, count - copied, offset_ + copied);
        }
        offset_ += count;
    }

    void skip(size_t count, const char* what)
    {
        require(count, what);
        offset_ += count;
    }

    int32_t int32(const char* what) { return scalar<int32_t>(what); }
    uint32_t uint32(const char* what) { return scalar<uint32_t>(what); }

private:
    void require(size_t count, const char* what) const
    {
        if (count > remaining())
            throw ModelFileError(std::string("Model file is truncated: ") + what
                                 + " runs past the end of the file");
    }

    void fill(size_t count)
    {
        const size_t length = std::min(remaining(), std::max(count, kReadAhead));
        if (length > capacity_) {
            buffer_.reset(new std::byte[length]);
            capacity_ = length;
        }
        file_->readExactly(buffer_.get(), length, offset_);
        bufferStart_ = offset_;
        buffered_ = length;
    }

    template <class T>
    T scalar(const char* what)
    {
        T result;
        std::memcpy(&result, take(sizeof result, what).data(), sizeof result);
        return result;
    }

    std::span<const std::byte> memory_;
    const Platform::RegularFile* file_ = nullptr;
    size_t size_ = 0;
    size_t offset_ = 0;
    std::unique_ptr<std::byte[]> buffer_;
    size_t capacity_ = 0;
    size_t bufferStart_ = 0;
    size_t buffered_ = 0;
};

// Whether reading keeps the weights or only checks where they lie.
enum class Weights { keep, skip };

void requireRange(const char* name, int32_t value, int32_t low, int32_t high)
{
    if (value < low || value > high)
        throw ModelFileError("Model file has an invalid " + std::string(name) + ": "
                             + std::to_string(value) + " (expected " + std::to_string(low)
                             + " to " + std::to_string(high) + ")");
}

WhisperHyperParameters readHyperParameters(ByteReader& reader)
{
    WhisperHyperParameters hp;
    hp.nVocab = reader.int32("the header");
    hp.nAudioCtx = reader.int32("the header");
    hp.nAudioState = reader.int32("the header");
    hp.nAudioHead = reader.int32("the header");
    hp.nAudioLayer = reader.int32("the header");
    hp.nTextCtx = reader.int32("the header");
    hp.nTextState = reader.int32("the header");
    hp.nTextHead = reader.int32("the header");
    hp.nTextLayer = reader.int32("the header");
    hp.nMels = reader.int32("the header");
    hp.ftype = reader.int32("the header");

    if (hp.nVocab != 51864 && hp.nVocab != 51865 && hp.nVocab != 51866)
        throw ModelFileError("Model file has an unsupported vocabulary size: "
                             + std::to_string(hp.nVocab) + " (expected 51864, 51865 or 51866)");
    // One window is at most 30 s: 1500 encoder positions.
    requireRange("audio context", hp.nAudioCtx, 1, 1500);
    requireRange("audio width", hp.nAudioState, 1, 8192);
    requireRange("audio head count", hp.nAudioHead, 1, hp.nAudioState);
    requireRange("audio layer count", hp.nAudioLayer, 1, 128);
    requireRange("text context", hp.nTextCtx, 8, 8192);
    requireRange("text width", hp.nTextState, 1, 8192);
    requireRange("text head count", hp.nTextHead, 1, hp.nTextState);
    requireRange("text layer count", hp.nTextLayer, 1, 128);
    requireRange("mel count", hp.nMels, 1, 512);
    if (hp.nAudioState % hp.nAudioHead != 0 || hp.nTextState % hp.nTextHead != 0)
        throw ModelFileError("Model file has a width that its head count does not divide");
    int32_t weightType = hp.ftype % 1000;
    if (hp.ftype < 0 || (weightType != kTypeF32 && weightType != kTypeF16))
        throw ModelFileError("Model file has unsupported weight type " + std::to_string(hp.ftype)
                             + ": only f32 (0) and f16 (1) are supported");
    return hp;
}

size_t elementCount(const std::vector<int64_t>& extents)
{
    size_t count = 1;
    for (int64_t extent : extents)
        count *= static_cast<size_t>(extent);
    return count;
}

// The model's tensors, with the pointers each one fills in.
class ExpectedTensors {
public:
    explicit ExpectedTensors(WhisperModel& model)
    {
        for (const auto& tensor : Platform::ML::whisperModelTensors(model)) {
            const size_t count = elementCount(tensor.shape);
            totalElements_ += count;
            if (tensor.vector)
                vectorElements_ += count;
            slots_.emplace(tensor.name, Slot{{tensor.shape.rbegin(), tensor.shape.rend()}, tensor.vector, tensor.matrix});
        }
    }

    size_t totalElements() const { return totalElements_; }
    size_t vectorElements() const { return vectorElements_; }

    void requireAllSeen() const
    {
        for (const auto& [name, slot] : slots_)
            if (!slot.seen)
                throw ModelFileError("Model file lacks the tensor '" + name + "'");
    }

    // Where an expected tensor goes and the extents it must have, innermost
    // first, as the file lists them; a matrix's rows are its outermost extent.
    struct Slot {
        std::vector<int64_t> extents;
        const float** vector = nullptr;
        WeightMatrix* matrix = nullptr;
        bool seen = false;

        int rows() const { return static_cast<int>(extents.back()); }
        int columns() const { return static_cast<int>(elementCount(extents) / extents.back()); }
    };

    Slot* slot(const std::string& name)
    {
        auto it = slots_.find(name);
        return it == slots_.end() ? nullptr : &it->second;
    }

private:
    std::map<std::string, Slot> slots_;
    size_t totalElements_ = 0;
    size_t vectorElements_ = 0;
};

// One block of memory for every tensor, handed out in file order. Matrices
// keep the file's precision; vectors (biases, norms, embeddings of
// positions) are always floats.
class TensorStorage {
public:
    explicit TensorStorage(size_t capacity) : bytes_(Platform::allocateLargeBuffer(capacity)), capacity_(capacity) {}

    std::byte* take(size_t count)
    {
        const size_t start = Platform::roundUp(used_, kTensorAlignment);
        if (start > capacity_ || count > capacity_ - start)
            throw ModelFileError("Model file's tensors do not fit the bytes the file holds");
        used_ = start + count;
        return bytes_.get() + start;
    }

    std::shared_ptr<std::byte[]> release() { return std::move(bytes_); }

private:
    std::shared_ptr<std::byte[]> bytes_;
    size_t capacity_;
    size_t used_ = 0;
};

std::string describeExtents(const std::vector<int64_t>& extents)
{
    std::string text = "[";
    for (size_t i = 0; i < extents.size(); ++i)
        text += (i ? ", " : "") + std::to_string(extents[i]);
    return text + "]";
}

void readTensor(ByteReader& reader, ExpectedTensors& expected, TensorStorage* storage)
{
    const int32_t nDims = reader.int32("a tensor header");
    const int32_t nameLength = reader.int32("a tensor header");
    const int32_t type = reader.int32("a tensor header");
    if (nDims < 1 || nDims > kMaxDims)
        throw ModelFileError("Model file has a tensor with " + std::to_string(nDims)
                             + " dimensions (expected 1 to 4)");
    if (nameLength < 1 || nameLength > kMaxTensorNameLength)
        throw ModelFileError("Model file has a tensor name of invalid length "
                             + std::to_string(nameLength));
    std::vector<int64_t> extents;
    for (int32_t i = 0; i < nDims; ++i) {
        const int32_t extent = reader.int32("a tensor's extents");
        if (extent < 1)
            throw ModelFileError("Model file has a tensor extent of " + std::to_string(extent));
        extents.push_back(extent);
    }
    auto nameBytes = reader.take(static_cast<size_t>(nameLength), "a tensor name");
    const std::string name(reinterpret_cast<const char*>(nameBytes.data()), nameBytes.size());

    if (type != kTypeF32 && type != kTypeF16)
        throw ModelFileError("Tensor '" + name + "' has unsupported type " + std::to_string(type)
                             + ": only f32 (0) and f16 (1) are supported");
    auto* slot = expected.slot(name);
    if (!slot)
        throw ModelFileError("Model file has an unexpected tensor '" + name + "'");
    if (slot->seen)
        throw ModelFileError("Model file has the tensor '" + name + "' twice");
    if (extents != slot->extents)
        throw ModelFileError("Tensor '" + name + "' has extents " + describeExtents(extents)
                             + ", expected " + describeExtents(slot->extents));
    slot->seen = true;

    const size_t count = elementCount(extents); // bounded: matches the expected extents
    const size_t elementSize = type == kTypeF32 ? 4 : 2;
    const std::string what = "the data of tensor '" + name + "'";
    if (!storage || count * elementSize > reader.remaining()) {
        reader.skip(count * elementSize, what.c_str()); // throws when the tensor runs past the end
        return;
    }
    if (slot->matrix) {
        std::byte* destination = storage->take(count * elementSize);
        reader.copyTo(destination, count * elementSize, what.c_str());
        *slot->matrix = type == kTypeF16
                            ? WeightMatrix::ofHalfFloats(destination, slot->rows(), slot->columns())
                            : WeightMatrix::ofFloats(reinterpret_cast<const float*>(destination), slot->rows(),
                                                     slot->columns());
        return;
    }
    auto* destination = reinterpret_cast<float*>(storage->take(count * sizeof(float)));
    *slot->vector = destination;
    if (type == kTypeF32) {
        reader.copyTo(reinterpret_cast<std::byte*>(destination), count * sizeof(float), what.c_str());
        return;
    }
    for (size_t done = 0; done < count;) {
        const size_t slice = std::min(kSliceElements, count - done);
        widenHalfFloats(reader.take(slice * 2, what.c_str()).data(), slice, destination + done);
        done += slice;
    }
}

WhisperModel readModel(ByteReader& reader, Weights weights)
{
    if (reader.remaining() < 4 || reader.uint32("the magic number") != kMagic)
        throw ModelFileError("Not a ggml model file: bad magic number");

    WhisperModel model;
    model.hparams = readHyperParameters(reader);
    const auto& hp = model.hparams;

    const int32_t filterCount = reader.int32("the mel filters");
    const int32_t fftBins = reader.int32("the mel filters");
    if (filterCount != hp.nMels || fftBins != kMelFftBins)
        throw ModelFileError("Model file has a mel filter bank of " + std::to_string(filterCount)
                             + " x " + std::to_string(fftBins) + ", expected "
                             + std::to_string(hp.nMels) + " x " + std::to_string(kMelFftBins));
    const size_t filterFloats = static_cast<size_t>(filterCount) * kMelFftBins;
    auto filterBytes = reader.take(filterFloats * sizeof(float), "the mel filters");
    model.melFilters.resize(filterFloats);
    std::memcpy(model.melFilters.data(), filterBytes.data(), filterBytes.size());

    // The ordinary tokens are stored. Some converters also store special
    // tokens' names from end-of-text on; those are never text, so only the
    // ordinary pieces are kept.
    const int32_t endOfText = hp.nVocab == 51864 ? 50256 : 50257;
    const int32_t pieceCount = reader.int32("the vocabulary");
    requireRange("vocabulary entry count", pieceCount, 0, hp.nVocab);
    model.vocabulary.reserve(static_cast<size_t>(std::min(pieceCount, endOfText)));
    for (int32_t i = 0; i < pieceCount; ++i) {
        const uint32_t length = reader.uint32("the vocabulary");
        if (length > kMaxPieceLength)
            throw ModelFileError("Model file has a vocabulary entry of absurd length "
                                 + std::to_string(length));
        auto piece = reader.take(length, "the vocabulary");
        if (i < endOfText)
            model.vocabulary.emplace_back(reinterpret_cast<const char*>(piece.data()), piece.size());
    }

    ExpectedTensors expected(model);
    // Every weight takes at least two bytes in the file: refuse a file too
    // short for its own header before allocating for it.
    if (expected.totalElements() > reader.remaining() / 2)
        throw ModelFileError("Model file is truncated: its tensors need more bytes than the file has");
    // The rest of the file holds every tensor, each behind a header longer than
    // the gap that aligns it; only vectors stored as halves grow, to floats.
    std::optional<TensorStorage> storage;
    if (weights == Weights::keep)
        storage.emplace(reader.remaining() + 2 * expected.vectorElements());
    while (!reader.atEnd())
        readTensor(reader, expected, storage ? &*storage : nullptr);
    expected.requireAllSeen();
    if (storage)
        model.storage = storage->release();
    return model;
}

WhisperModel readModelFile(const std::filesystem::path& path, Weights weights)
{
    try {
        const Platform::RegularFile file(path);
        if (file.size() == 0)
            throw ModelFileError("Model file " + path.string() + " is empty");
        ByteReader reader(file);
        WhisperModel model;
        try {
            model = readModel(reader, weights);
        } catch (const ModelFileError& error) {
            std::throw_with_nested(ModelFileError(path.filename().string() + ": " + error.what()));
        }
        if (file.changedSinceOpened())
            throw ModelFileError("Model file " + path.string() + " changed while it was being read");
        return model;
    } catch (const Platform::FileReadError& error) {
        std::throw_with_nested(ModelFileError(error.what()));
    }
}

} // namespace

WhisperModel parseGgmlWhisperModel(std::span<const std::byte> bytes)
{
    ByteReader reader(bytes);
    return readModel(reader, Weights::keep);
}

WhisperModel loadGgmlWhisperModel(const std::filesystem::path& path)
{
    return readModelFile(path, Weights::keep);
}

void checkGgmlWhisperModelFile(const std::filesystem::path& path)
{
    readModelFile(path, Weights::skip);
}

} // namespace QelCore
