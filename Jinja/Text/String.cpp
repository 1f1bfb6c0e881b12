#include "Jinja/Text/String.h"

#include "OrderedCollections/HashTable/SeededHash.h"
#include "Platform/Text/Normalization.h"
#include "Platform/Text/UnicodeScalars.h"

namespace Jinja {

namespace {

// The NFC form of a text that may not be composed, computed only when needed.
std::string composedForm(const std::string& text, bool composed)
{
    return composed ? text : Platform::nfc(text);
}

} // namespace

String::String(std::string text) : text_(std::move(text)), composed_(Platform::isASCII(text_) || Platform::isNFC(text_))
{
    hash_ = static_cast<std::uint64_t>(composed_ ? OrderedCollections::seededHash(std::string_view(text_), 0)
                                                 : OrderedCollections::seededHash(Platform::nfc(text_), 0));
}

bool String::equalComposedForms(const String& first, const String& second)
{
    return composedForm(first.text_, first.composed_) == composedForm(second.text_, second.composed_);
}

std::strong_ordering operator<=>(const String& first, const String& second)
{
    // std::string compares its chars as unsigned, which is code point order.
    if (first.composed_ && second.composed_)
        return first.text_.compare(second.text_) <=> 0;
    return composedForm(first.text_, first.composed_).compare(composedForm(second.text_, second.composed_)) <=> 0;
}

std::int64_t seededHash(const String& text, std::int64_t seed)
{
    return OrderedCollections::seededHash(text.hash_, seed);
}

} // namespace Jinja
