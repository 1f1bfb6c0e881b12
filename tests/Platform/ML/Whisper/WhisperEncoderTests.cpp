#include "Platform/ML/Whisper/MelSpectrogram.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"

#include "Support/WhisperModelFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Platform::ML;

// Scratch lent by a caller holds whatever its other work left there: every
// stage writes what it reads, so the output is the one of the encoder's own
// scratch, however many times the scratch is reused.
TEST(WhisperEncoder, LentScratchFullOfNaNGivesTheOutputOfItsOwn)
{
    const auto model = smallRandomModel(51865);
    const auto& hp = model.hparams;
    MelSpectrogram mel(model.melFilters.data(), hp.nMels, model.windowSamples());
    std::vector<float> features(static_cast<size_t>(hp.nMels) * model.melFrames());
    const auto audio = chirp(20000, 300);
    mel.compute(audio.data(), static_cast<long>(audio.size()), features.data());

    WhisperEncoder encoder(model);
    const size_t size = static_cast<size_t>(hp.nAudioCtx) * hp.nAudioState;
    std::vector<float> own(size), lent(size);
    encoder.encode(features.data(), own.data());
    std::vector<float> scratch(encoder.scratchSize(), NAN);
    for (int pass = 0; pass < 2; ++pass) {
        encoder.encode(features.data(), lent.data(), scratch.data());
        ASSERT_EQ(lent, own) << "pass " << pass;
    }
}
