#include "Platform/Text/Format.h"

#include <stdexcept>

namespace Platform {

namespace {

locale_t cLocale()
{
    // Made once and kept for the life of the process: uselocale needs it to
    // outlive every thread that switches to it.
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (locale == locale_t{})
        throw std::runtime_error("The C locale is not available");
    return locale;
}

} // namespace

CNumericFormatting::CNumericFormatting() : previous_(uselocale(cLocale())) {}

CNumericFormatting::~CNumericFormatting()
{
    uselocale(previous_);
}

} // namespace Platform
