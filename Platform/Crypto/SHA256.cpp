#include "Platform/Crypto/SHA256.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace Platform {

struct SHA256::Context {
    struct Free {
        void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD_CTX, Free> evp{EVP_MD_CTX_new()};

    void start()
    {
        if (!evp || EVP_DigestInit_ex(evp.get(), EVP_sha256(), nullptr) != 1)
            throw std::runtime_error("Cannot start a SHA-256 digest");
    }
};

SHA256::SHA256() : context_(std::make_unique<Context>())
{
    context_->start();
}

SHA256::SHA256(const SHA256& other) : context_(std::make_unique<Context>())
{
    *this = other;
}

SHA256& SHA256::operator=(const SHA256& other)
{
    if (this != &other && EVP_MD_CTX_copy_ex(context_->evp.get(), other.context_->evp.get()) != 1)
        throw std::runtime_error("Cannot copy a SHA-256 digest");
    return *this;
}

SHA256::~SHA256() = default;
SHA256::SHA256(SHA256&&) noexcept = default;
SHA256& SHA256::operator=(SHA256&&) noexcept = default;

void SHA256::update(std::string_view bytes)
{
    if (EVP_DigestUpdate(context_->evp.get(), bytes.data(), bytes.size()) != 1)
        throw std::runtime_error("Cannot update a SHA-256 digest");
}

SHA256::Digest SHA256::finish()
{
    Digest digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_->evp.get(), digest.data(), &length) != 1 || length != digest.size())
        throw std::runtime_error("Cannot finish a SHA-256 digest");
    context_->start();
    return digest;
}

std::string SHA256::finishHex()
{
    return hexString(finish());
}

SHA256::Digest SHA256::digest(std::string_view bytes)
{
    SHA256 hash;
    hash.update(bytes);
    return hash.finish();
}

std::string hexString(const SHA256::Digest& digest)
{
    constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest.size() * 2);
    for (std::uint8_t byte : digest) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0xF]);
    }
    return text;
}

} // namespace Platform
