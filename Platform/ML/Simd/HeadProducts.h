#pragma once

#include "Platform/ML/Simd/InstructionSet.h"
#include "Platform/ML/Tensor/Float16.h"

namespace Platform::ML {

// One query row against positions [begin, end) of keys laid out
// [position][heads·headWidth] (rows `positionStride` apart), every head at
// once: scores[h·scoreStride + j] = scale · Σ_d query[h·headWidth + d] ·
// keys[j·positionStride + h·headWidth + d]. Reading whole rows in order keeps
// the keys one stream, as fast as memory delivers.
void scoreAllHeads(const float* query, const float* keys, long positionStride, int begin, int end, int heads,
                   int headWidth, float scale, float* scores, long scoreStride);

// The matching sum over values: out[h·headWidth + d] += Σ_j
// weights[h·weightStride + j] · values[j·positionStride + h·headWidth + d]
// for j in [begin, end).
void weighAllHeads(const float* weights, long weightStride, const float* values, long positionStride, int begin,
                   int end, int heads, int headWidth, float* out);

// The same over keys and values stored as halves, widened in registers as
// they are read: half the bytes of floats for the same work. `set` is one
// this processor supports.
void scoreAllHeads(const float* query, const Float16* keys, long positionStride, int begin, int end, int heads,
                   int headWidth, float scale, float* scores, long scoreStride,
                   InstructionSet set = widestInstructionSet());
void weighAllHeads(const float* weights, long weightStride, const Float16* values, long positionStride, int begin,
                   int end, int heads, int headWidth, float* out, InstructionSet set = widestInstructionSet());

// The same two over keys and values laid out [heads·headWidth][position]
// (channels `channelStride` apart), as a cache kept one row per channel holds
// them: scores[h·scoreStride + j] = scale · Σ_d query[h·headWidth + d] ·
// keys[(h·headWidth + d)·channelStride + j], and out[h·headWidth + d] +=
// Σ_j weights[h·weightStride + j] · values[(h·headWidth + d)·channelStride + j].
void scoreAllHeadsByChannel(const float* query, const float* keys, long channelStride, int begin, int end, int heads,
                            int headWidth, float scale, float* scores, long scoreStride);
void weighAllHeadsByChannel(const float* weights, long weightStride, const float* values, long channelStride, int begin,
                            int end, int heads, int headWidth, float* out);
void scoreAllHeadsByChannel(const float* query, const Float16* keys, long channelStride, int begin, int end, int heads,
                            int headWidth, float scale, float* scores, long scoreStride,
                            InstructionSet set = widestInstructionSet());
void weighAllHeadsByChannel(const float* weights, long weightStride, const Float16* values, long channelStride,
                            int begin, int end, int heads, int headWidth, float* out,
                            InstructionSet set = widestInstructionSet());

// Asks for elements [begin, end) of `rows` rows, `rowStride` elements of
// `elementSize` bytes apart, ahead of reading them: the rows of a cache kept
// by channel are short runs far apart, which the processor's prefetcher does
// not follow, so each would otherwise wait for memory in turn.
void prefetchRows(const void* data, long rowStride, int rows, int begin, int end, int elementSize);

} // namespace Platform::ML
