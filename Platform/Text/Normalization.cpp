#include "Platform/Text/Normalization.h"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>

namespace Platform {
namespace {

using Instance = const icu::Normalizer2* (*)(UErrorCode&);

std::string normalized(std::string_view text, Instance instance)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = instance(status);
    if (U_FAILURE(status))
        return std::string(text);
    const icu::StringPiece input(text.data(), static_cast<int32_t>(text.size()));
    // Most text is already in the form; checking is much cheaper than rewriting.
    if (normalizer->isNormalizedUTF8(input, status) && U_SUCCESS(status))
        return std::string(text);
    status = U_ZERO_ERROR;
    std::string result;
    icu::StringByteSink<std::string> sink(&result, static_cast<int32_t>(text.size()));
    normalizer->normalizeUTF8(0, input, sink, nullptr, status);
    return U_SUCCESS(status) ? result : std::string(text);
}

} // namespace

std::string nfc(std::string_view text)
{
    return normalized(text, &icu::Normalizer2::getNFCInstance);
}
std::string nfd(std::string_view text)
{
    return normalized(text, &icu::Normalizer2::getNFDInstance);
}
std::string nfkc(std::string_view text)
{
    return normalized(text, &icu::Normalizer2::getNFKCInstance);
}
std::string nfkd(std::string_view text)
{
    return normalized(text, &icu::Normalizer2::getNFKDInstance);
}

bool isNFC(std::string_view text)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return false;
    const bool normalized =
        normalizer->isNormalizedUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())), status);
    return U_SUCCESS(status) && normalized;
}

} // namespace Platform
