#include "RadozodEri/Utilities/TextUtilities.h"

#include "RuntimeCore/Logging/Logging.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include <zlib.h>

namespace RadozodEri::TextUtilities {

namespace {

constexpr float unmeasured = std::numeric_limits<float>::infinity();

// Raw DEFLATE, no zlib header or checksum, at the default level and memory.
float deflateRatio(const unsigned char* bytes, std::size_t count)
{
    if (count > std::numeric_limits<uInt>::max()) {
        RuntimeCore::Logging::debug("Compression error: more bytes than one call compresses");
        return unmeasured;
    }
    z_stream stream{};
    if (int status = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        status != Z_OK) {
        RuntimeCore::Logging::debug("Compression error:", zError(status));
        return unmeasured;
    }
    std::string compressed(deflateBound(&stream, static_cast<uLong>(count)), '\0');
    stream.next_in = const_cast<unsigned char*>(bytes);
    stream.avail_in = static_cast<uInt>(count);
    stream.next_out = reinterpret_cast<unsigned char*>(compressed.data());
    stream.avail_out = static_cast<uInt>(compressed.size());
    const int status = deflate(&stream, Z_FINISH);
    const auto compressedCount = stream.total_out;
    deflateEnd(&stream);
    if (status != Z_STREAM_END || compressedCount == 0) {
        RuntimeCore::Logging::debug("Compression error:", zError(status));
        return unmeasured;
    }
    return static_cast<float>(count) / static_cast<float>(compressedCount);
}

} // namespace

float compressionRatio(const std::vector<int>& tokens)
{
    static_assert(std::endian::native == std::endian::little, "token bytes are stored little-endian");
    std::vector<unsigned char> bytes(tokens.size() * sizeof(std::int32_t));
    if (!tokens.empty())
        std::memcpy(bytes.data(), tokens.data(), bytes.size());
    return deflateRatio(bytes.data(), bytes.size());
}

float compressionRatio(std::string_view text)
{
    if (text.empty())
        return unmeasured;
    return deflateRatio(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

} // namespace RadozodEri::TextUtilities
