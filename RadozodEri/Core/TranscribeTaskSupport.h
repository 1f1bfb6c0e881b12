#pragma once

// What the window loop and its fallback decoding share: their signposts,
// their clock and the log form of a prompt.

#include "Platform/Log/Signposter.h"
#include "Platform/Time/Date.h"
#include "RadozodEri/Core/WhisperTokenizer.h"

#include <string>
#include <string_view>
#include <vector>

namespace RadozodEri::TranscribeTaskSupport {

const Platform::Signposter& signposter();

// An interval of the task's signposter, ended however the scope is left.
class SignpostScope {
public:
    explicit SignpostScope(std::string_view name);
    ~SignpostScope();
    SignpostScope(const SignpostScope&) = delete;
    SignpostScope& operator=(const SignpostScope&) = delete;

private:
    std::string_view name_;
    Platform::SignpostIntervalState interval_;
};

// Seconds from `start` to now, on the clock the timings' absolute times use.
double secondsSince(Platform::Date start);

// The token texts of the prompt as a list, ["<|startoftranscript|>", ...];
// an id without a text gives "".
std::string promptTokenTexts(const std::vector<int>& prompt, const WhisperTokenizer& tokenizer);

} // namespace RadozodEri::TranscribeTaskSupport
