#include "qel_core.h"

#include "QelCore/ModelFiles.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <functional>
#include <string>

namespace {

using Bytes = std::vector<std::byte>;

void putInt32(Bytes& bytes, size_t offset, int32_t value) { std::memcpy(bytes.data() + offset, &value, sizeof value); }

int32_t getInt32(const Bytes& bytes, size_t offset)
{
    int32_t value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// Offsets into the file, found by walking it the way the format lays it out.
struct Layout {
    static constexpr size_t vocabSizeField = 4;
    static constexpr size_t audioWidthField = 12;
    static constexpr size_t ftypeField = 44;
    size_t vocabulary = 0;  // the entry count
    size_t firstTensor = 0; // its header
    size_t lastTensor = 0;

    explicit Layout(const Bytes& bytes, int width)
    {
        const size_t mels = static_cast<size_t>(getInt32(bytes, 48));
        vocabulary = 56 + mels * 201 * 4;
        size_t at = vocabulary + 4;
        for (int32_t i = 0, count = getInt32(bytes, vocabulary); i < count; ++i)
            at += 4 + static_cast<size_t>(getInt32(bytes, at));
        firstTensor = at;
        // The last tensor is "decoder.ln.bias": one dimension of `width` floats.
        lastTensor = bytes.size() - (12 + 4 + std::strlen("decoder.ln.bias") + 4 * static_cast<size_t>(width));
    }
};

} // namespace

TEST(MalformedModel, EveryDamagedFileIsRefusedWithAReason)
{
    auto options = tinyModel(51865);
    options.ftype = 0;
    options.audioCtx = 4;
    options.textCtx = 8;
    const Bytes good = QelTools::randomGgmlModel(options);
    const Layout layout(good, options.width);
    ASSERT_EQ(getInt32(good, layout.lastTensor + 8), 0); // f32, as the layout walk assumes

    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        const char* errorFragment;
    } cases[] = {
        {"empty file", [](Bytes& b) { b.clear(); }, "empty"},
        {"shorter than the magic", [](Bytes& b) { b.resize(3); }, "bad magic"},
        {"bad magic", [](Bytes& b) { b[0] = std::byte{'X'}; }, "bad magic"},
        {"cut in the header", [](Bytes& b) { b.resize(20); }, "truncated"},
        {"cut in the vocabulary", [&](Bytes& b) { b.resize(layout.vocabulary + 100); }, "truncated"},
        {"cut in a tensor header", [&](Bytes& b) { b.resize(layout.firstTensor + 6); }, "truncated"},
        {"last tensor runs past the end", [](Bytes& b) { b.pop_back(); }, "past the end"},
        {"tensor missing", [&](Bytes& b) { b.resize(layout.lastTensor); }, "lacks the tensor 'decoder.ln.bias'"},
        {"tensor twice",
         [&](Bytes& b) {
             const Bytes last(b.begin() + static_cast<long>(layout.lastTensor), b.end());
             b.insert(b.end(), last.begin(), last.end());
         },
         "twice"},
        {"absurd width", [](Bytes& b) { putInt32(b, Layout::audioWidthField, 1 << 30); }, "audio width"},
        {"unsupported vocabulary size", [](Bytes& b) { putInt32(b, Layout::vocabSizeField, 1000); }, "vocabulary size"},
        {"quantised weights", [](Bytes& b) { putInt32(b, Layout::ftypeField, 2); }, "only f32 (0) and f16 (1)"},
        {"absurd vocabulary entry", [&](Bytes& b) { putInt32(b, layout.vocabulary + 4, -16); }, "absurd length"},
        {"too many vocabulary entries", [&](Bytes& b) { putInt32(b, layout.vocabulary, 60000); }, "vocabulary entry count"},
        {"unknown tensor type", [&](Bytes& b) { putInt32(b, layout.firstTensor + 8, 8); }, "unsupported type 8"},
        {"absurd tensor extent", [&](Bytes& b) { putInt32(b, layout.firstTensor + 12, 0x7fffffff); }, "extents"},
        {"negative tensor extent", [&](Bytes& b) { putInt32(b, layout.firstTensor + 12, -5); }, "extent of -5"},
        {"absurd name length", [&](Bytes& b) { putInt32(b, layout.firstTensor + 4, 1 << 30); }, "name of invalid length"},
        {"too many dimensions", [&](Bytes& b) { putInt32(b, layout.firstTensor, 9); }, "9 dimensions"},
    };

    TestSupport::TemporaryFolder folder;
    const auto path = folder / "ggml-damaged.bin";
    for (const auto& c : cases) {
        Bytes damaged = good;
        c.damage(damaged);
        writeBytes(path, damaged);
        qel_engine* engine = qel_engine_new(path.c_str(), "auto");
        EXPECT_EQ(engine, nullptr) << c.what;
        qel_engine_free(engine);
        ASSERT_NE(qel_last_error(), nullptr) << c.what;
        EXPECT_NE(std::string(qel_last_error()).find(c.errorFragment), std::string::npos)
            << c.what << ": " << qel_last_error();
        // The quick check that skips the weights refuses the file with the same reason.
        try {
            QelCore::checkGgmlWhisperModelFile(path);
            ADD_FAILURE() << c.what << " passed the check";
        } catch (const QelCore::ModelFileError& error) {
            EXPECT_EQ(std::string(error.what()), qel_last_error());
        }
    }

    writeBytes(path, good);
    qel_engine* engine = qel_engine_new(path.c_str(), "auto");
    EXPECT_NE(engine, nullptr) << qel_last_error();
    qel_engine_free(engine);
    EXPECT_NO_THROW(QelCore::checkGgmlWhisperModelFile(path));
}

TEST(MalformedModel, SpecialFilesAreRefusedWithoutWaiting)
{
    TestSupport::TemporaryFolder folder;
    ASSERT_EQ(mkfifo((folder / "fifo.bin").c_str(), 0600), 0);
    std::filesystem::create_symlink(folder / "fifo.bin", folder / "link.bin");
    std::filesystem::create_directory(folder / "folder.bin");
    const std::pair<std::filesystem::path, const char*> cases[] = {
        {folder / "fifo.bin", "it is a FIFO, not a regular file"},
        {folder / "link.bin", "it is a FIFO, not a regular file"},
        {folder / "folder.bin", "it is a folder, not a regular file"},
        {"/dev/zero", "it is a device, not a regular file"},
    };
    for (const auto& [path, reason] : cases) {
        EXPECT_EQ(qel_engine_new(path.c_str(), "auto"), nullptr) << path;
        ASSERT_NE(qel_last_error(), nullptr);
        EXPECT_EQ(std::string(qel_last_error()), "Cannot read " + path.string() + ": " + reason);
    }
}

// A model file rewritten in place while it loads (a copy over it, a download
// into it) must fail the load cleanly or load whole, never kill the process.
TEST(MalformedModel, AFileRewrittenWhileItLoadsNeverCrashes)
{
    auto options = tinyModel(51864);
    options.audioCtx = 4;
    options.textCtx = 8;
    const Bytes good = QelTools::randomGgmlModel(options);
    TestSupport::TemporaryFolder folder;
    const auto path = folder / "ggml-rewritten.bin";
    writeBytes(path, good);

    std::atomic<bool> loading{true};
    std::thread rewriter([&] {
        const int descriptor = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        while (loading) {
            ASSERT_EQ(ftruncate(descriptor, static_cast<off_t>(good.size() / 3)), 0);
            ASSERT_EQ(pwrite(descriptor, good.data(), good.size(), 0), static_cast<ssize_t>(good.size()));
        }
        close(descriptor);
    });
    int refused = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        try {
            QelCore::loadGgmlWhisperModel(path);
        } catch (const QelCore::ModelFileError&) {
            ++refused;
        }
    }
    loading = false;
    rewriter.join();
    EXPECT_GT(refused, 0);
}
