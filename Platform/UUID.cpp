#include "Platform/UUID.h"

#include <random>

namespace Platform {

UUID UUID::random()
{
    thread_local std::random_device source;
    UUID uuid;
    for (size_t i = 0; i < uuid.bytes.size(); i += 4) {
        std::uint32_t word = source();
        for (size_t j = 0; j < 4; ++j)
            uuid.bytes[i + j] = static_cast<std::uint8_t>(word >> (8 * j));
    }
    uuid.bytes[6] = static_cast<std::uint8_t>((uuid.bytes[6] & 0x0F) | 0x40); // version 4
    uuid.bytes[8] = static_cast<std::uint8_t>((uuid.bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    return uuid;
}

std::string UUID::uuidString() const
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text.push_back('-');
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 0x0F]);
    }
    return text;
}

} // namespace Platform
