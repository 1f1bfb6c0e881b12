#include "Platform/ML/Simd/HeadProducts.h"

#include "Platform/ML/Simd/WideVectors.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Platform::ML {
namespace {

void scoreHalvesPortable(const float* query, const Float16* keys, long positionStride, int begin, int end, int heads,
                         int headWidth, float scale, float* scores, long scoreStride)
{
    for (int j = begin; j < end; ++j) {
        const Float16* key = keys + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            float sum = 0.0f;
            for (int d = 0; d < headWidth; ++d)
                sum += query[h * headWidth + d] * static_cast<float>(key[h * headWidth + d]);
            scores[h * scoreStride + j] = scale * sum;
        }
    }
}

void weighHalvesPortable(const float* weights, long weightStride, const Float16* values, long positionStride, int begin,
                         int end, int heads, int headWidth, float* out)
{
    for (int j = begin; j < end; ++j) {
        const Float16* value = values + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            const float weight = weights[h * weightStride + j];
            for (int d = 0; d < headWidth; ++d)
                out[h * headWidth + d] += weight * static_cast<float>(value[h * headWidth + d]);
        }
    }
}

float widened(float value)
{
    return value;
}

float widened(Float16 value)
{
    return static_cast<float>(value);
}

// Eight positions at a time, each in its own sum over the head's channels:
// a channel's row is contiguous in positions, so the eight sums are one
// vector where the compiler makes one.
template <class Element>
[[gnu::always_inline]] inline void scoreByChannel(const float* query, const Element* keys, long channelStride,
                                                  int begin, int end, int heads, int headWidth, float scale,
                                                  float* scores, long scoreStride)
{
    constexpr int lanes = 8;
    for (int h = 0; h < heads; ++h) {
        const float* q = query + h * headWidth;
        const Element* head = keys + static_cast<long>(h) * headWidth * channelStride;
        float* row = scores + h * scoreStride;
        int j = begin;
        for (; j + lanes <= end; j += lanes) {
            float sums[lanes] = {};
            for (int d = 0; d < headWidth; ++d)
                for (int lane = 0; lane < lanes; ++lane)
                    sums[lane] += q[d] * widened(head[d * channelStride + j + lane]);
            for (int lane = 0; lane < lanes; ++lane)
                row[j + lane] = scale * sums[lane];
        }
        for (; j < end; ++j) {
            float sum = 0.0f;
            for (int d = 0; d < headWidth; ++d)
                sum += q[d] * widened(head[d * channelStride + j]);
            row[j] = scale * sum;
        }
    }
}

// One dot product per channel along its contiguous row of positions.
template <class Element>
[[gnu::always_inline]] inline void weighByChannel(const float* weights, long weightStride, const Element* values,
                                                  long channelStride, int begin, int end, int heads, int headWidth,
                                                  float* out)
{
    constexpr int lanes = 8;
    for (int c = 0; c < heads * headWidth; ++c) {
        const float* w = weights + c / headWidth * weightStride;
        const Element* row = values + c * channelStride;
        float sums[lanes] = {};
        int j = begin;
        for (; j + lanes <= end; j += lanes)
            for (int lane = 0; lane < lanes; ++lane)
                sums[lane] += w[j + lane] * widened(row[j + lane]);
        float sum = 0.0f;
        for (float partial : sums)
            sum += partial;
        for (; j < end; ++j)
            sum += w[j] * widened(row[j]);
        out[c] += sum;
    }
}

#if defined(__x86_64__)

[[gnu::target("avx2,fma,f16c"), gnu::always_inline]] inline __m256 eightHalves(const Float16* halves)
{
    return _mm256_cvtph_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(halves)));
}

// Positions read ahead of the one being worked on. A chunk of positions is
// too short a stream for the processor's own prefetcher to reach full speed
// before it ends; asking early for what comes next keeps the reads going
// across chunks. A prefetch never faults, so rows past the end do no harm.
constexpr int kPrefetchPositions = 8;

[[gnu::target("avx2,fma,f16c"), gnu::always_inline]] inline void prefetchRow(const Float16* row, long length)
{
    const auto* bytes = reinterpret_cast<const char*>(row);
    for (long offset = 0; offset < 2 * length; offset += 64)
        _mm_prefetch(bytes + offset, _MM_HINT_T0);
}

// Two independent sums per dot product hide the latency of each multiply-add.
[[gnu::target("avx2,fma,f16c")]] void scoreHalvesAvx2(const float* query, const Float16* keys, long positionStride,
                                                      int begin, int end, int heads, int headWidth, float scale,
                                                      float* scores, long scoreStride)
{
    const int pairs = headWidth / 16 * 16, eights = headWidth / 8 * 8;
    for (int j = begin; j < end; ++j) {
        const Float16* key = keys + j * positionStride;
        prefetchRow(key + kPrefetchPositions * positionStride, static_cast<long>(heads) * headWidth);
        for (int h = 0; h < heads; ++h) {
            const float* q = query + h * headWidth;
            const Float16* k = key + h * headWidth;
            __m256 s0 = _mm256_setzero_ps(), s1 = s0;
            int d = 0;
            for (; d < pairs; d += 16) {
                s0 = _mm256_fmadd_ps(eightHalves(k + d), _mm256_loadu_ps(q + d), s0);
                s1 = _mm256_fmadd_ps(eightHalves(k + d + 8), _mm256_loadu_ps(q + d + 8), s1);
            }
            for (; d < eights; d += 8)
                s0 = _mm256_fmadd_ps(eightHalves(k + d), _mm256_loadu_ps(q + d), s0);
            const __m256 all = _mm256_add_ps(s0, s1);
            __m128 half = _mm_add_ps(_mm256_castps256_ps128(all), _mm256_extractf128_ps(all, 1));
            half = _mm_add_ps(half, _mm_movehl_ps(half, half));
            half = _mm_add_ss(half, _mm_movehdup_ps(half));
            float sum = _mm_cvtss_f32(half);
            for (; d < headWidth; ++d)
                sum += q[d] * static_cast<float>(k[d]);
            scores[h * scoreStride + j] = scale * sum;
        }
    }
}

[[gnu::target("avx2,fma,f16c")]] void weighHalvesAvx2(const float* weights, long weightStride, const Float16* values,
                                                      long positionStride, int begin, int end, int heads, int headWidth,
                                                      float* out)
{
    const int eights = headWidth / 8 * 8;
    for (int j = begin; j < end; ++j) {
        const Float16* value = values + j * positionStride;
        prefetchRow(value + kPrefetchPositions * positionStride, static_cast<long>(heads) * headWidth);
        for (int h = 0; h < heads; ++h) {
            const float weight = weights[h * weightStride + j];
            const __m256 w = _mm256_set1_ps(weight);
            float* o = out + h * headWidth;
            const Float16* v = value + h * headWidth;
            int d = 0;
            for (; d < eights; d += 8)
                _mm256_storeu_ps(o + d, _mm256_fmadd_ps(w, eightHalves(v + d), _mm256_loadu_ps(o + d)));
            for (; d < headWidth; ++d)
                o[d] += weight * static_cast<float>(v[d]);
        }
    }
}

// With sixteen halves widened per instruction, a chunk of positions no longer
// waits on the widening, which held the eight-wide form below the speed at
// which memory delivers keys and values. Head widths of whole vectors only.
[[gnu::target("avx512f,avx2,fma,f16c")]] void scoreHalvesAvx512(const float* query, const Float16* keys,
                                                                long positionStride, int begin, int end, int heads,
                                                                int headWidth, float scale, float* scores,
                                                                long scoreStride)
{
    const int pairs = headWidth / 32 * 32;
    for (int j = begin; j < end; ++j) {
        const Float16* key = keys + j * positionStride;
        prefetchRow(key + kPrefetchPositions * positionStride, static_cast<long>(heads) * headWidth);
        for (int h = 0; h < heads; ++h) {
            const float* q = query + h * headWidth;
            const Float16* k = key + h * headWidth;
            __m512 s0 = _mm512_setzero_ps(), s1 = s0;
            int d = 0;
            for (; d < pairs; d += 32) {
                s0 = _mm512_fmadd_ps(sixteenHalves(k + d), _mm512_loadu_ps(q + d), s0);
                s1 = _mm512_fmadd_ps(sixteenHalves(k + d + 16), _mm512_loadu_ps(q + d + 16), s1);
            }
            if (d < headWidth)
                s0 = _mm512_fmadd_ps(sixteenHalves(k + d), _mm512_loadu_ps(q + d), s0);
            scores[h * scoreStride + j] = scale * total(_mm512_add_ps(s0, s1));
        }
    }
}

[[gnu::target("avx512f,avx2,fma,f16c")]] void weighHalvesAvx512(const float* weights, long weightStride,
                                                                const Float16* values, long positionStride, int begin,
                                                                int end, int heads, int headWidth, float* out)
{
    for (int j = begin; j < end; ++j) {
        const Float16* value = values + j * positionStride;
        prefetchRow(value + kPrefetchPositions * positionStride, static_cast<long>(heads) * headWidth);
        for (int h = 0; h < heads; ++h) {
            const __m512 w = _mm512_set1_ps(weights[h * weightStride + j]);
            float* o = out + h * headWidth;
            const Float16* v = value + h * headWidth;
            for (int d = 0; d < headWidth; d += 16)
                _mm512_storeu_ps(o + d, _mm512_fmadd_ps(w, sixteenHalves(v + d), _mm512_loadu_ps(o + d)));
        }
    }
}

// By channel: 32 positions at a time, a cache line of each channel's row,
// in four sums that stay in registers over the head's channels; then eight
// at a time, then one.
[[gnu::target("avx2,fma,f16c")]] void scoreHalvesByChannelAvx2(const float* query, const Float16* keys,
                                                               long channelStride, int begin, int end, int heads,
                                                               int headWidth, float scale, float* scores,
                                                               long scoreStride)
{
    const __m256 scaled = _mm256_set1_ps(scale);
    int j = begin;
    for (; j + 32 <= end; j += 32)
        for (int h = 0; h < heads; ++h) {
            const float* q = query + h * headWidth;
            const Float16* head = keys + static_cast<long>(h) * headWidth * channelStride + j;
            __m256 s0 = _mm256_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
            for (int d = 0; d < headWidth; ++d) {
                const __m256 qd = _mm256_set1_ps(q[d]);
                const Float16* k = head + d * channelStride;
                s0 = _mm256_fmadd_ps(qd, eightHalves(k), s0);
                s1 = _mm256_fmadd_ps(qd, eightHalves(k + 8), s1);
                s2 = _mm256_fmadd_ps(qd, eightHalves(k + 16), s2);
                s3 = _mm256_fmadd_ps(qd, eightHalves(k + 24), s3);
            }
            float* row = scores + h * scoreStride + j;
            _mm256_storeu_ps(row, _mm256_mul_ps(s0, scaled));
            _mm256_storeu_ps(row + 8, _mm256_mul_ps(s1, scaled));
            _mm256_storeu_ps(row + 16, _mm256_mul_ps(s2, scaled));
            _mm256_storeu_ps(row + 24, _mm256_mul_ps(s3, scaled));
        }
    for (; j + 8 <= end; j += 8)
        for (int h = 0; h < heads; ++h) {
            const float* q = query + h * headWidth;
            const Float16* head = keys + static_cast<long>(h) * headWidth * channelStride + j;
            __m256 sum = _mm256_setzero_ps();
            for (int d = 0; d < headWidth; ++d)
                sum = _mm256_fmadd_ps(_mm256_set1_ps(q[d]), eightHalves(head + d * channelStride), sum);
            _mm256_storeu_ps(scores + h * scoreStride + j, _mm256_mul_ps(sum, scaled));
        }
    for (; j < end; ++j)
        for (int h = 0; h < heads; ++h) {
            const float* q = query + h * headWidth;
            const Float16* head = keys + static_cast<long>(h) * headWidth * channelStride + j;
            float sum = 0.0f;
            for (int d = 0; d < headWidth; ++d)
                sum += q[d] * _cvtsh_ss(head[d * channelStride].bits);
            scores[h * scoreStride + j] = scale * sum;
        }
}

// By channel: four channels of one head at a time, their sums added across
// together rather than one channel's at a time.
[[gnu::target("avx2,fma,f16c")]] void weighHalvesByChannelAvx2(const float* weights, long weightStride,
                                                               const Float16* values, long channelStride, int begin,
                                                               int end, int heads, int headWidth, float* out)
{
    if (headWidth % 4 != 0) {
        weighByChannel(weights, weightStride, values, channelStride, begin, end, heads, headWidth, out);
        return;
    }
    const int blocked = begin + (end - begin) / 8 * 8;
    for (int c = 0; c < heads * headWidth; c += 4) {
        const float* w = weights + c / headWidth * weightStride;
        const Float16* row = values + c * channelStride;
        __m256 s0 = _mm256_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
        for (int j = begin; j < blocked; j += 8) {
            const __m256 w8 = _mm256_loadu_ps(w + j);
            s0 = _mm256_fmadd_ps(w8, eightHalves(row + j), s0);
            s1 = _mm256_fmadd_ps(w8, eightHalves(row + channelStride + j), s1);
            s2 = _mm256_fmadd_ps(w8, eightHalves(row + 2 * channelStride + j), s2);
            s3 = _mm256_fmadd_ps(w8, eightHalves(row + 3 * channelStride + j), s3);
        }
        // Lane i of the four-lane result is the sum of s_i's lanes.
        const __m256 pairs = _mm256_hadd_ps(_mm256_hadd_ps(s0, s1), _mm256_hadd_ps(s2, s3));
        __m128 sums = _mm_add_ps(_mm256_castps256_ps128(pairs), _mm256_extractf128_ps(pairs, 1));
        alignas(16) float four[4];
        _mm_store_ps(four, sums);
        for (int i = 0; i < 4; ++i) {
            for (int j = blocked; j < end; ++j)
                four[i] += w[j] * _cvtsh_ss(row[i * channelStride + j].bits);
            out[c + i] += four[i];
        }
    }
}

#endif

} // namespace

// Wider vectors where the processor has them; eight independent partial sums
// let the compiler keep each dot product in one vector.
__attribute__((target_clones("avx512f", "avx2", "default"))) void scoreAllHeads(const float* query, const float* keys,
                                                                                long positionStride, int begin, int end,
                                                                                int heads, int headWidth, float scale,
                                                                                float* scores, long scoreStride)
{
    constexpr int lanes = 8;
    const int whole = headWidth / lanes * lanes;
    for (int j = begin; j < end; ++j) {
        const float* key = keys + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            const float* q = query + h * headWidth;
            const float* k = key + h * headWidth;
            float sums[lanes] = {};
            for (int d = 0; d < whole; d += lanes)
                for (int lane = 0; lane < lanes; ++lane)
                    sums[lane] += q[d + lane] * k[d + lane];
            float sum = 0.0f;
            for (float partial : sums)
                sum += partial;
            for (int d = whole; d < headWidth; ++d)
                sum += q[d] * k[d];
            scores[h * scoreStride + j] = scale * sum;
        }
    }
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void weighAllHeads(const float* weights, long weightStride,
                                                                                const float* values,
                                                                                long positionStride, int begin, int end,
                                                                                int heads, int headWidth, float* out)
{
    for (int j = begin; j < end; ++j) {
        const float* value = values + j * positionStride;
        for (int h = 0; h < heads; ++h) {
            const float weight = weights[h * weightStride + j];
            float* o = out + h * headWidth;
            const float* v = value + h * headWidth;
            for (int d = 0; d < headWidth; ++d)
                o[d] += weight * v[d];
        }
    }
}

void scoreAllHeads(const float* query, const Float16* keys, long positionStride, int begin, int end, int heads,
                   int headWidth, float scale, float* scores, long scoreStride, InstructionSet set)
{
#if defined(__x86_64__)
    if (set == InstructionSet::Avx512 && headWidth % 16 == 0)
        return scoreHalvesAvx512(query, keys, positionStride, begin, end, heads, headWidth, scale, scores, scoreStride);
    if (set >= InstructionSet::Avx2)
        return scoreHalvesAvx2(query, keys, positionStride, begin, end, heads, headWidth, scale, scores, scoreStride);
#endif
    scoreHalvesPortable(query, keys, positionStride, begin, end, heads, headWidth, scale, scores, scoreStride);
}

void weighAllHeads(const float* weights, long weightStride, const Float16* values, long positionStride, int begin,
                   int end, int heads, int headWidth, float* out, InstructionSet set)
{
#if defined(__x86_64__)
    if (set == InstructionSet::Avx512 && headWidth % 16 == 0)
        return weighHalvesAvx512(weights, weightStride, values, positionStride, begin, end, heads, headWidth, out);
    if (set >= InstructionSet::Avx2)
        return weighHalvesAvx2(weights, weightStride, values, positionStride, begin, end, heads, headWidth, out);
#endif
    weighHalvesPortable(weights, weightStride, values, positionStride, begin, end, heads, headWidth, out);
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void
scoreAllHeadsByChannel(const float* query, const float* keys, long channelStride, int begin, int end, int heads,
                       int headWidth, float scale, float* scores, long scoreStride)
{
    scoreByChannel(query, keys, channelStride, begin, end, heads, headWidth, scale, scores, scoreStride);
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void
weighAllHeadsByChannel(const float* weights, long weightStride, const float* values, long channelStride, int begin,
                       int end, int heads, int headWidth, float* out)
{
    weighByChannel(weights, weightStride, values, channelStride, begin, end, heads, headWidth, out);
}

void scoreAllHeadsByChannel(const float* query, const Float16* keys, long channelStride, int begin, int end, int heads,
                            int headWidth, float scale, float* scores, long scoreStride, InstructionSet set)
{
#if defined(__x86_64__)
    if (set >= InstructionSet::Avx2)
        return scoreHalvesByChannelAvx2(query, keys, channelStride, begin, end, heads, headWidth, scale, scores,
                                        scoreStride);
#endif
    scoreByChannel(query, keys, channelStride, begin, end, heads, headWidth, scale, scores, scoreStride);
}

void weighAllHeadsByChannel(const float* weights, long weightStride, const Float16* values, long channelStride,
                            int begin, int end, int heads, int headWidth, float* out, InstructionSet set)
{
#if defined(__x86_64__)
    if (set >= InstructionSet::Avx2)
        return weighHalvesByChannelAvx2(weights, weightStride, values, channelStride, begin, end, heads, headWidth,
                                        out);
#endif
    weighByChannel(weights, weightStride, values, channelStride, begin, end, heads, headWidth, out);
}

void prefetchRows(const void* data, long rowStride, int rows, int begin, int end, int elementSize)
{
    constexpr long kLine = 64;
    const auto* bytes = static_cast<const char*>(data);
    for (long row = 0; row < rows; ++row) {
        const long first = (row * rowStride + begin) * elementSize, last = (row * rowStride + end) * elementSize;
        for (long offset = first / kLine * kLine; offset < last; offset += kLine)
            __builtin_prefetch(bytes + offset);
    }
}

} // namespace Platform::ML
