#pragma once

#include "RadozodEri/Core/TranscriptionResult.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Operations on finished transcriptions: moving segments along the timeline,
// rendering them as lines, comparing two word sequences and merging partial
// results into one.
namespace RadozodEri::TranscriptionUtilities {

// The segment moved `seekTime` seconds later: its sample position, its times
// and its words' times.
TranscriptionSegment updateSegmentTimings(const TranscriptionSegment& segment, float seekTime);

// Each segment's text, after "[start --> end] " (two decimals) when asked.
std::vector<std::string> formatSegments(const std::vector<TranscriptionSegment>& segments, bool withTimestamps);

// The entries of `second` while its words match those of `first`, compared
// without letter case, punctuation or extra spaces ("well-known" matches
// "well known").
std::vector<WordTiming> findLongestCommonPrefix(const std::vector<WordTiming>& first,
                                                const std::vector<WordTiming>& second);
// The entries of `second` after that common prefix.
std::vector<WordTiming> findLongestDifferentSuffix(const std::vector<WordTiming>& first,
                                                   const std::vector<WordTiming>& second);

// One result from partial ones (null entries are absent): the confirmed
// words' text when given, else the results' texts joined by spaces; their
// segments renumbered in order from 0; the first result's language ("en"
// without any); timings added up, with the total time no longer than the
// span the results covered together.
TranscriptionResult
mergeTranscriptionResults(const std::vector<std::shared_ptr<TranscriptionResult>>& results,
                          const std::optional<std::vector<WordTiming>>& confirmedWords = std::nullopt);

} // namespace RadozodEri::TranscriptionUtilities

namespace RadozodEri {
using TranscriptionUtilities::findLongestCommonPrefix;
using TranscriptionUtilities::findLongestDifferentSuffix;
using TranscriptionUtilities::formatSegments;
using TranscriptionUtilities::mergeTranscriptionResults;
using TranscriptionUtilities::updateSegmentTimings;
} // namespace RadozodEri
