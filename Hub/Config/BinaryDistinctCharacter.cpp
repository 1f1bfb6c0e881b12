#include "Hub/Config/BinaryDistinctCharacter.h"

#include "Platform/Text/Format.h"
#include "Platform/Text/UTF16.h"

namespace Hub {

BinaryDistinctCharacter::BinaryDistinctCharacter(std::string_view text) : bytes_(Platform::utf16(text)) {}

std::string BinaryDistinctCharacter::description() const
{
    std::string units;
    for (char16_t unit : bytes_)
        units += (units.empty() ? "\"" : ", \"") + Platform::formatted("0x%02X", unsigned(unit)) + "\"";
    return "BinaryDistinctCharacter('" + Platform::utf8(bytes_) + "', bytes: [" + units + "])";
}

} // namespace Hub
