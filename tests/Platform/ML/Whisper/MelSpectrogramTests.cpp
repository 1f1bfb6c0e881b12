#include "Platform/ML/Whisper/MelSpectrogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using Platform::ML::MelSpectrogram;

namespace {

// One filter per frequency bin, so each mel row is one bin's power.
std::vector<float> identityFilters()
{
    std::vector<float> filters(201 * 201, 0.0f);
    for (int i = 0; i < 201; ++i)
        filters[static_cast<size_t>(i) * 201 + i] = 1.0f;
    return filters;
}

} // namespace

TEST(MelSpectrogram, SilenceSitsAtTheFloor)
{
    const auto filters = identityFilters();
    MelSpectrogram mel(filters.data(), 201, 480000);
    ASSERT_EQ(mel.frames(), 3000);
    std::vector<float> out(201 * 3000, 7.0f);
    mel.compute(nullptr, 0, out.data());
    for (float value : out)
        ASSERT_FLOAT_EQ(value, (std::log10(1e-10f) + 4.0f) / 4.0f);
}

TEST(MelSpectrogram, ToneLandsInItsBinAndTheRangeIsEightDecades)
{
    const auto filters = identityFilters();
    MelSpectrogram mel(filters.data(), 201, 480000);
    // 1000 Hz is bin 25 of a 400-point transform at 16 kHz; one second of it,
    // then silence up to the window's end.
    std::vector<float> tone(16000);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = 0.5f * std::sin(2.0f * static_cast<float>(M_PI) * 1000.0f * static_cast<float>(i) / 16000.0f);
    std::vector<float> out(201 * 3000);
    mel.compute(tone.data(), static_cast<long>(tone.size()), out.data());

    const int frame = 50; // inside the tone
    int loudest = 0;
    for (int bin = 1; bin < 201; ++bin)
        if (out[static_cast<size_t>(bin) * 3000 + frame] > out[static_cast<size_t>(loudest) * 3000 + frame])
            loudest = bin;
    EXPECT_EQ(loudest, 25);
    const auto [low, high] = std::minmax_element(out.begin(), out.end());
    EXPECT_NEAR(*high - *low, 2.0f, 1e-5f); // 8 decades / 4
    EXPECT_FLOAT_EQ(out[static_cast<size_t>(25) * 3000 + 2000], *low); // silence after the tone
}
