#pragma once

// SHA-256 digests computed piece by piece, so a file can be hashed while it is
// written or read without holding it whole.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Platform {

class SHA256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    SHA256();
    ~SHA256();
    // A copy goes on from the same point as the original.
    SHA256(const SHA256& other);
    SHA256& operator=(const SHA256& other);
    SHA256(SHA256&&) noexcept;
    SHA256& operator=(SHA256&&) noexcept;

    void update(std::string_view bytes);
    // The digest of everything added; the object starts afresh afterwards.
    Digest finish();
    // finish() as 64 lower-case hexadecimal digits.
    std::string finishHex();

    // The digest of `bytes` in one call.
    static Digest digest(std::string_view bytes);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

// Each byte as two lower-case hexadecimal digits, in order.
std::string hexString(const SHA256::Digest& digest);

} // namespace Platform
