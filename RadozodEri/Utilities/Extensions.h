#pragma once

#include "RadozodEri/Core/TranscriptionResult.h"
#include "RadozodEri/Core/TranscriptionSegment.h"
#include "RuntimeCore/Extensions/FoundationExtensions.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace RadozodEri {

// True only in a build for a device simulator, which this never is.
inline constexpr bool isRunningOnSimulator = false;

// The outcome of transcribing one input of a batch: its results or its error.
using TranscriptionOutcome = std::variant<std::vector<std::shared_ptr<TranscriptionResult>>, std::exception_ptr>;

// The results of each outcome, in order, with nothing for a failure.
std::vector<std::optional<std::vector<std::shared_ptr<TranscriptionResult>>>>
toOptionalArrays(const std::vector<TranscriptionOutcome>& outcomes);

// Whether any segment starts at the same time as `segment`; no other field is
// compared.
bool contains(const std::vector<TranscriptionSegment>& segments, const TranscriptionSegment& segment);

// The text lower-cased, hyphens made blanks, punctuation removed, runs of
// blanks made one and white space trimmed: a form for comparing transcripts.
std::string normalized(std::string_view text);

// The text without the characters that frame special tokens ("<", "|", ">")
// at either end: "<|en|>" gives "en".
std::string_view trimmingSpecialTokenCharacters(std::string_view text);

using RuntimeCore::resolveAbsolutePath;

} // namespace RadozodEri
