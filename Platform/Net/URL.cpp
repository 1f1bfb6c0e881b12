#include "Platform/Net/URL.h"

#include <cctype>

namespace Platform {

namespace {

// Characters a path segment keeps as they are; everything else is encoded.
bool isSegmentCharacter(unsigned char character)
{
    return std::isalnum(character) ||
           std::string_view("-._~!$&'()*+,;=:@").find(static_cast<char>(character)) != std::string_view::npos;
}

std::string percentEncodedSegment(std::string_view segment)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char character : segment) {
        if (isSegmentCharacter(character)) {
            encoded += static_cast<char>(character);
        } else {
            encoded += '%';
            encoded += digits[character >> 4];
            encoded += digits[character & 0xF];
        }
    }
    return encoded;
}

int hexValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

std::string percentDecoded(std::string_view text)
{
    std::string decoded;
    for (size_t index = 0; index < text.size(); ++index) {
        if (text[index] == '%' && index + 2 < text.size() && hexValue(text[index + 1]) >= 0 &&
            hexValue(text[index + 2]) >= 0) {
            decoded += static_cast<char>(hexValue(text[index + 1]) * 16 + hexValue(text[index + 2]));
            index += 2;
        } else {
            decoded += text[index];
        }
    }
    return decoded;
}

bool isSchemeText(std::string_view scheme)
{
    if (scheme.empty() || !std::isalpha(static_cast<unsigned char>(scheme.front())))
        return false;
    for (const unsigned char character : scheme)
        if (!std::isalnum(character) && character != '+' && character != '-' && character != '.')
            return false;
    return true;
}

// The host inside an authority "user@host:port" ("[v6]" kept bracketed).
std::string_view hostOf(std::string_view authority)
{
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    if (authority.starts_with('['))
        return authority.substr(0, authority.find(']') + 1);
    return authority.substr(0, authority.find(':'));
}

} // namespace

bool isURLText(std::string_view text)
{
    for (const unsigned char character : text)
        if (character <= 0x20 || character >= 0x7F)
            return false;
    return true;
}

std::optional<URL> URL::parse(std::string_view text)
{
    const size_t separator = text.find("://");
    if (separator == std::string_view::npos || !isSchemeText(text.substr(0, separator)) || !isURLText(text))
        return std::nullopt;
    URL url;
    url.scheme_ = text.substr(0, separator);
    std::string_view rest = text.substr(separator + 3);
    const size_t authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    url.authority_ = rest.substr(0, authorityEnd);
    if (hostOf(url.authority_).empty())
        return std::nullopt;
    rest.remove_prefix(authorityEnd);
    if (const size_t hash = rest.find('#'); hash != std::string_view::npos) {
        url.fragment_ = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    if (const size_t question = rest.find('?'); question != std::string_view::npos) {
        url.query_ = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    url.path_ = rest;
    return url;
}

std::string URL::string() const
{
    std::string text = scheme_ + "://" + authority_ + path_;
    if (query_)
        text += "?" + *query_;
    if (fragment_)
        text += "#" + *fragment_;
    return text;
}

URL URL::appendingPathComponent(std::string_view component) const
{
    URL url = *this;
    if (!url.path_.ends_with('/'))
        url.path_ += '/';
    url.path_ += percentEncodedSegment(component);
    return url;
}

URL URL::appendingPath(std::string_view path) const
{
    URL url = *this;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        if (end > start)
            url = url.appendingPathComponent(path.substr(start, end - start));
        start = end + 1;
    }
    return url;
}

std::string URL::lastPathComponent() const
{
    std::string_view path = path_;
    while (path.ends_with('/'))
        path.remove_suffix(1);
    return percentDecoded(path.substr(path.rfind('/') + 1));
}

URL URL::replacingPathAndQuery(std::string path, std::optional<std::string> query) const
{
    URL url = *this;
    url.path_ = std::move(path);
    url.query_ = std::move(query);
    return url;
}

} // namespace Platform
