#include "RandomWhisperFolders.h"

#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

// The reference's greedy tokens of the first window, end of text left out.
std::vector<int> referenceTokens(const RandomWhisper::Model& model, const std::vector<float>& samples, int steps,
                                 const std::filesystem::path& folder)
{
    const auto audio = folder / "audio.f32";
    {
        std::ofstream out(audio, std::ios::binary);
        out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 4));
    }
    // The paths are the repository's and a temporary folder's: no quotes in them.
    const auto quoted = [](const std::filesystem::path& path) { return "'" + path.string() + "'"; };
    const std::string command = "/usr/bin/python3 " + quoted(QEL_WHISPER_REFERENCE) + " " + quoted(model.ggml) + " " +
                                quoted(audio) + " " + quoted(folder / "reference") + " --language en --steps " +
                                std::to_string(steps) + " --half-precision-steps";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("the reference failed: " + command);
    std::istringstream text(TestSupport::fileContents(folder / "reference" / "tokens.txt"));
    std::vector<int> tokens;
    for (int token; text >> token;)
        tokens.push_back(token);
    return tokens;
}

} // namespace

TEST(DecoderReference, GreedyWindowsOfConvertedModelsMatchTheNumpyReference)
{
    constexpr int steps = 20;
    for (const int vocab : {51864, 51865}) {
        SCOPED_TRACE(vocab);
        TestSupport::TemporaryFolder folder;
        RandomWhisper::Model model(folder.path(), vocab, 40 + static_cast<std::uint64_t>(vocab));
        const auto samples = RandomWhisper::testAudio();
        const std::vector<int> expected = referenceTokens(model, samples, steps, folder.path());
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(model.decode(model.encode(samples), steps), expected);
    }
}
