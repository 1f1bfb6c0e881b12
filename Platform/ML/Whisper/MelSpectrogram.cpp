#include "Platform/ML/Whisper/MelSpectrogram.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Whisper/WhisperModel.h"
#include "Platform/Vector/FiniteSamples.h"

#include <algorithm>
#include <cblas.h>
#include <cmath>
#include <fftw3.h>
#include <mutex>
#include <numbers>

namespace Platform::ML {
namespace {

constexpr int kFftSize = 400;

// One plan for every caller: planning is not thread-safe, executing a plan
// on buffers of one's own is.
struct FftPlan {
    fftwf_plan plan;
    float window[kFftSize];

    FftPlan()
    {
        float* in = fftwf_alloc_real(kFftSize);
        fftwf_complex* out = fftwf_alloc_complex(kMelFftBins);
        plan = fftwf_plan_dft_r2c_1d(kFftSize, in, out, FFTW_ESTIMATE | FFTW_UNALIGNED);
        fftwf_free(in);
        fftwf_free(out);
        for (int i = 0; i < kFftSize; ++i) // periodic Hann window
            window[i] = 0.5f - 0.5f * std::cos(2.0f * std::numbers::pi_v<float> * i / kFftSize);
    }
};

const FftPlan& fftPlan()
{
    static const FftPlan plan;
    return plan;
}

} // namespace

MelSpectrogram::MelSpectrogram(const float* filters, int nMels, int windowSamples)
    : filters_(filters),
      nMels_(nMels),
      windowSamples_(windowSamples),
      frames_(windowSamples / kMelHop),
      padded_(static_cast<size_t>(windowSamples) + kFftSize),
      power_(static_cast<size_t>(frames_) * kMelFftBins),
      rowMaxima_(static_cast<size_t>(nMels))
{
    fftPlan();
}

void MelSpectrogram::compute(const float* samples, long count, float* out)
{
    const auto& fft = fftPlan();
    constexpr int half = kFftSize / 2;
    const long n = windowSamples_;
    count = std::clamp(count, 0L, n);

    // The window, centred frames: reflect the edges by half a frame.
    float* x = padded_.data() + half;
    // One sample that is not a number would turn every value of the window into NaN.
    std::transform(samples, samples + count, x, Platform::silenceIfNotFinite);
    std::fill(x + count, x + n, 0.0f);
    for (int i = 1; i <= half; ++i) {
        x[-i] = x[i];
        x[n - 1 + i] = x[n - 1 - i];
    }

    constexpr long kFramesPerPiece = 64;
    Platform::parallelFor(frames_, kFramesPerPiece, computeThreads(), [&](long begin, long end) {
        float frame[kFftSize];
        fftwf_complex spectrum[kMelFftBins];
        for (long t = begin; t < end; ++t) {
            const float* start = padded_.data() + t * kMelHop;
            for (int i = 0; i < kFftSize; ++i)
                frame[i] = start[i] * fft.window[i];
            fftwf_execute_dft_r2c(fft.plan, frame, spectrum);
            float* power = power_.data() + t * kMelFftBins;
            for (int k = 0; k < kMelFftBins; ++k)
                power[k] = spectrum[k][0] * spectrum[k][0] + spectrum[k][1] * spectrum[k][1];
        }
        // mel[m][t] = Σ_k filters[m][k] · power[t][k] for this piece's frames.
        cblas_sgemm(CblasRowMajor, CblasNoTrans, CblasTrans, nMels_, static_cast<int>(end - begin),
                    kMelFftBins, 1.0f, filters_, kMelFftBins, power_.data() + begin * kMelFftBins,
                    kMelFftBins, 0.0f, out + begin, frames_);
    });

    // Row by row: the logarithms and each row's maximum, then the floor below
    // the largest of them.
    Platform::parallelFor(nMels_, 1, computeThreads(), [&](long begin, long end) {
        for (long m = begin; m < end; ++m) {
            float* row = out + m * frames_;
            float maximum = -INFINITY;
            for (int t = 0; t < frames_; ++t) {
                row[t] = std::log10(std::max(row[t], 1e-10f));
                maximum = std::max(maximum, row[t]);
            }
            rowMaxima_[static_cast<size_t>(m)] = maximum;
        }
    });
    const float floor = *std::max_element(rowMaxima_.begin(), rowMaxima_.end()) - 8.0f;
    const long total = static_cast<long>(nMels_) * frames_;
    for (long i = 0; i < total; ++i)
        out[i] = (std::max(out[i], floor) + 4.0f) / 4.0f;
}

} // namespace Platform::ML
