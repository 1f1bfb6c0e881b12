#include "Platform/ML/Simd/VectorProduct.h"

#include "Platform/ML/Simd/WideVectors.h"

#include "Platform/ML/Tensor/HalfFloat.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Platform::ML {
namespace {

// One stored half-precision weight; any address.
struct HalfBits {
    std::byte bytes[2];
};

float weightAt(const float* row, int k)
{
    return row[k];
}

float weightAt(const HalfBits* row, int k)
{
    uint16_t bits;
    std::memcpy(&bits, row + k, sizeof bits);
    return widenHalfFloat(bits);
}

// Eight partial sums, so the compiler may keep them in a vector.
template <class Weight>
void rowsTimesVectorPortable(const Weight* rows, long count, int depth, const float* vector, float* out)
{
    for (long r = 0; r < count; ++r) {
        const Weight* row = rows + r * depth;
        float sums[8] = {};
        int k = 0;
        for (; k + 8 <= depth; k += 8)
            for (int lane = 0; lane < 8; ++lane)
                sums[lane] += weightAt(row, k + lane) * vector[k + lane];
        float sum = 0.0f;
        for (float partial : sums)
            sum += partial;
        for (; k < depth; ++k)
            sum += weightAt(row, k) * vector[k];
        out[r] = sum;
    }
}

#if defined(__x86_64__)

// Four independent sums per row hide the latency of each multiply-add; the
// loads come from one row at a time, in order. Wider vectors gain nothing
// for rows of floats: memory, not arithmetic, sets the pace, and 64-byte
// loads that cross cache lines cost more than two of 32 bytes.

[[gnu::target("avx2,fma,f16c"), gnu::always_inline]] inline __m256 eightWeights(const float* weights)
{
    return _mm256_loadu_ps(weights);
}

[[gnu::target("avx2,fma,f16c"), gnu::always_inline]] inline __m256 eightWeights(const HalfBits* weights)
{
    return _mm256_cvtph_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(weights)));
}

// Bytes of weights asked for ahead of the row being multiplied. A thread's
// block of rows is too short a stream for the processor's own prefetcher to
// reach full speed before it ends.
constexpr long kPrefetchBytes = 4096;

// Asks for bytes [begin, end) of `data`, clipped to its first `size`.
[[gnu::target("avx2,fma,f16c"), gnu::always_inline]] inline void prefetch(const void* data, long size, long begin,
                                                                          long end)
{
    for (long offset = begin; offset < std::min(end, size); offset += 64)
        _mm_prefetch(static_cast<const char*>(data) + offset, _MM_HINT_T0);
}

template <class Weight>
[[gnu::target("avx2,fma,f16c")]] void rowsTimesVectorAvx2(const Weight* rows, long count, int depth,
                                                          const float* vector, float* out)
{
    const int blocks = depth / 32 * 32, eights = depth / 8 * 8;
    const long rowBytes = static_cast<long>(sizeof(Weight)) * depth, size = count * rowBytes;
    prefetch(rows, size, 0, kPrefetchBytes);
    for (long r = 0; r < count; ++r) {
        const Weight* row = rows + r * depth;
        prefetch(rows, size, r * rowBytes + kPrefetchBytes, (r + 1) * rowBytes + kPrefetchBytes);
        __m256 s0 = _mm256_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
        int k = 0;
        for (; k < blocks; k += 32) {
            s0 = _mm256_fmadd_ps(eightWeights(row + k), _mm256_loadu_ps(vector + k), s0);
            s1 = _mm256_fmadd_ps(eightWeights(row + k + 8), _mm256_loadu_ps(vector + k + 8), s1);
            s2 = _mm256_fmadd_ps(eightWeights(row + k + 16), _mm256_loadu_ps(vector + k + 16), s2);
            s3 = _mm256_fmadd_ps(eightWeights(row + k + 24), _mm256_loadu_ps(vector + k + 24), s3);
        }
        for (; k < eights; k += 8)
            s0 = _mm256_fmadd_ps(eightWeights(row + k), _mm256_loadu_ps(vector + k), s0);
        const __m256 all = _mm256_add_ps(_mm256_add_ps(s0, s1), _mm256_add_ps(s2, s3));
        __m128 half = _mm_add_ps(_mm256_castps256_ps128(all), _mm256_extractf128_ps(all, 1));
        half = _mm_add_ps(half, _mm_movehl_ps(half, half));
        half = _mm_add_ss(half, _mm_movehdup_ps(half));
        float sum = _mm_cvtss_f32(half);
        for (; k < depth; ++k)
            sum += weightAt(row, k) * vector[k];
        out[r] = sum;
    }
}

// Half-precision rows with sixteen halves widened per instruction: eight at a
// time, widening alone held one thread to about the speed at which memory
// delivers a row.
[[gnu::target("avx512f,avx2,fma,f16c")]] void rowsTimesVectorAvx512(const HalfBits* rows, long count, int depth,
                                                                    const float* vector, float* out)
{
    const int blocks = depth / 64 * 64, sixteens = depth / 16 * 16;
    const long rowBytes = 2L * depth, size = count * rowBytes;
    prefetch(rows, size, 0, kPrefetchBytes);
    for (long r = 0; r < count; ++r) {
        const HalfBits* row = rows + r * depth;
        prefetch(rows, size, r * rowBytes + kPrefetchBytes, (r + 1) * rowBytes + kPrefetchBytes);
        __m512 s0 = _mm512_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
        int k = 0;
        for (; k < blocks; k += 64) {
            s0 = _mm512_fmadd_ps(sixteenHalves(row + k), _mm512_loadu_ps(vector + k), s0);
            s1 = _mm512_fmadd_ps(sixteenHalves(row + k + 16), _mm512_loadu_ps(vector + k + 16), s1);
            s2 = _mm512_fmadd_ps(sixteenHalves(row + k + 32), _mm512_loadu_ps(vector + k + 32), s2);
            s3 = _mm512_fmadd_ps(sixteenHalves(row + k + 48), _mm512_loadu_ps(vector + k + 48), s3);
        }
        for (; k < sixteens; k += 16)
            s0 = _mm512_fmadd_ps(sixteenHalves(row + k), _mm512_loadu_ps(vector + k), s0);
        float sum = total(_mm512_add_ps(_mm512_add_ps(s0, s1), _mm512_add_ps(s2, s3)));
        for (; k < depth; ++k)
            sum += weightAt(row, k) * vector[k];
        out[r] = sum;
    }
}

#endif

template <class Weight>
void rowsTimesVector(const Weight* rows, long count, int depth, const float* vector, float* out, InstructionSet set)
{
#if defined(__x86_64__)
    if constexpr (std::is_same_v<Weight, HalfBits>)
        if (set == InstructionSet::Avx512)
            return rowsTimesVectorAvx512(rows, count, depth, vector, out);
    if (set >= InstructionSet::Avx2)
        return rowsTimesVectorAvx2(rows, count, depth, vector, out);
#endif
    rowsTimesVectorPortable(rows, count, depth, vector, out);
}

} // namespace

void multiplyRowsByVector(const WeightMatrix& matrix, long firstRow, long rowCount, const float* vector, float* out,
                          InstructionSet set)
{
    if (matrix.isHalf())
        rowsTimesVector(reinterpret_cast<const HalfBits*>(matrix.halfRow(firstRow)), rowCount, matrix.columns, vector,
                        out, set);
    else
        rowsTimesVector(matrix.floatRow(firstRow), rowCount, matrix.columns, vector, out, set);
}

} // namespace Platform::ML
