#include "Platform/Text/Collation.h"

#include <unicode/ucol.h>

#include <clocale>
#include <memory>
#include <string>

namespace Platform {

namespace {

struct CollatorClose {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};

// "en_US.UTF-8" names the ICU locale "en_US"; C and POSIX name none.
std::string icuLocaleName(const std::string& posixName)
{
    if (posixName == "C" || posixName == "POSIX" || posixName.starts_with("C."))
        return "";
    return posixName.substr(0, posixName.find_first_of(".@"));
}

} // namespace

int compareIgnoringCase(std::string_view first, std::string_view second)
{
    // A collator is costly to open, so each thread keeps one for the locale it saw last.
    thread_local std::string localeName;
    thread_local std::unique_ptr<UCollator, CollatorClose> collator;
    const char* current = std::setlocale(LC_COLLATE, nullptr);
    const std::string name = current ? current : "C";
    if (!collator || name != localeName) {
        UErrorCode status = U_ZERO_ERROR;
        collator.reset(ucol_open(icuLocaleName(name).c_str(), &status));
        if (U_FAILURE(status) || !collator) {
            status = U_ZERO_ERROR;
            collator.reset(ucol_open("", &status));
        }
        ucol_setStrength(collator.get(), UCOL_SECONDARY);
        localeName = name;
    }
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(collator.get(), first.data(), static_cast<std::int32_t>(first.size()), second.data(),
                         static_cast<std::int32_t>(second.size()), &status);
    return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

} // namespace Platform
