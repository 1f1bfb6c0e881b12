#include "App/Audio/GainControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using QEL::GainControl;

namespace {

// A buffer of 1,600 samples whose root mean square is `level`.
std::vector<float> bufferAtLevel(float level)
{
    std::vector<float> buffer(1600);
    for (std::size_t index = 0; index < buffer.size(); ++index)
        buffer[index] = index % 2 ? level : -level;
    return buffer;
}

struct GainCase {
    const char* name;
    float level;
    int buffers;
    float expectedGain;
    float expectedEnvelope;
    float tolerance;
};

} // namespace

TEST(GainControl, ConvergesAsTheLevelDictates)
{
    const GainCase cases[] = {
        // 0.3 × 0.01; 15 + (0.08 / 0.003 − 15) × 0.02.
        {"first buffer at 0.01", 0.01f, 1, 15.2333f, 0.003f, 1e-4f},
        {"steady loud input", 0.5f, 400, 1.0f, 0.5f, 0.0f},
        {"steady quiet input", 0.001f, 400, 50.0f, 0.001f, 0.0f},
        {"silence from the start", 0.0f, 100, 15.0f, 0.0f, 0.0f},
    };
    for (const GainCase& c : cases) {
        SCOPED_TRACE(c.name);
        GainControl control;
        for (int buffer = 0; buffer < c.buffers; ++buffer) {
            std::vector<float> samples = bufferAtLevel(c.level);
            control.process(samples);
        }
        // Limits are reached exactly, not approached.
        if (c.tolerance == 0.0f)
            EXPECT_EQ(control.agcGain, c.expectedGain);
        else
            EXPECT_NEAR(control.agcGain, c.expectedGain, c.tolerance);
        EXPECT_NEAR(control.envelope, c.expectedEnvelope, c.expectedEnvelope * 1e-3f);
    }
}

TEST(GainControl, ScalesTheWholeBufferByTheNewGainAndClamps)
{
    GainControl control;
    std::vector<float> samples = bufferAtLevel(0.01f);
    samples[0] = 0.2f;
    samples[1] = -0.2f;
    control.process(samples);

    EXPECT_EQ(samples[0], 1.0f);
    EXPECT_EQ(samples[1], -1.0f);
    EXPECT_FLOAT_EQ(samples[2], -0.01f * control.agcGain);
    EXPECT_GT(control.agcGain, 15.0f);
}

TEST(GainControl, SilenceOnlyLetsTheEnvelopeDecayAndThenFreezesTheGain)
{
    GainControl control;
    std::vector<float> loud = bufferAtLevel(0.05f);
    control.process(loud);

    float envelope = control.envelope;
    float gain = control.agcGain;
    bool belowFloor = false;
    for (int buffer = 0; buffer < 2000; ++buffer) {
        std::vector<float> silence(1600, 0.0f);
        control.process(silence);
        EXPECT_FLOAT_EQ(control.envelope, envelope * 0.995f);
        if (belowFloor) {
            ASSERT_EQ(control.agcGain, gain) << "the gain moved below the noise floor, buffer " << buffer;
        }
        belowFloor = control.envelope <= GainControl::noiseFloor;
        envelope = control.envelope;
        gain = control.agcGain;
    }
    EXPECT_TRUE(belowFloor);
}

TEST(GainControl, SamplesThatAreNotNumbersAreSilenceAndLeaveTheStateUsable)
{
    GainControl control;
    std::vector<float> broken = bufferAtLevel(0.01f);
    broken[3] = std::numeric_limits<float>::quiet_NaN();
    broken[4] = std::numeric_limits<float>::infinity();
    control.process(broken);

    EXPECT_EQ(broken[3], 0.0f);
    EXPECT_EQ(broken[4], 0.0f);
    EXPECT_TRUE(std::isfinite(control.envelope));
    EXPECT_TRUE(std::isfinite(control.agcGain));
    std::vector<float> next = bufferAtLevel(0.01f);
    control.process(next);
    EXPECT_TRUE(std::isfinite(next[0]));
}
