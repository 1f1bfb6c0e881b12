#include "Platform/Audio/FrameAssembler.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

struct ChunkingCase {
    const char* name;
    std::vector<std::size_t> chunkLengths;
};

} // namespace

TEST(FrameAssembler, CutsChunksOfAnyLengthIntoWholeFramesInOrder)
{
    constexpr std::size_t frameLength = 4;
    const ChunkingCase cases[] = {
        {"one sample at a time", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"exactly a frame", {4, 4}},
        {"frames split across chunks", {3, 3, 3}},
        {"several frames in one chunk", {11}},
        {"empty chunks between", {0, 2, 0, 6, 0}},
    };
    for (const ChunkingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t total = std::accumulate(c.chunkLengths.begin(), c.chunkLengths.end(), std::size_t{0});
        std::vector<float> stream(total);
        std::iota(stream.begin(), stream.end(), 0.0f);

        Platform::Audio::FrameAssembler assembler(frameLength);
        std::vector<std::vector<float>> frames;
        std::size_t offset = 0;
        for (std::size_t length : c.chunkLengths) {
            assembler.append(std::span(stream).subspan(offset, length),
                             [&](std::vector<float> frame) { frames.push_back(std::move(frame)); });
            offset += length;
        }

        // Every whole frame comes out in order, and the rest waits.
        ASSERT_EQ(frames.size(), total / frameLength);
        for (std::size_t index = 0; index < frames.size(); ++index)
            EXPECT_EQ(frames[index], std::vector<float>(stream.begin() + index * frameLength,
                                                        stream.begin() + (index + 1) * frameLength));
    }
}
