#include "Jinja/Builtins/Filters.h"
#include "Jinja/Builtins/Filters/KindChecks.h"
#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/Limits.h"
#include "Platform/JSON/JSONDocument.h"
#include "Platform/Text/CaseMapping.h"
#include "Platform/Text/CharacterProperties.h"
#include "Platform/Text/CharacterSets.h"
#include "Platform/Text/Graphemes.h"
#include "Platform/Text/UTF16.h"
#include "Platform/Text/UnicodeScalars.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Jinja::Filters {

namespace {

const Parameter filesizeformatParameters[] = {{"binary", Value(false)}};
const Signature filesizeformatSignature{.parameters = filesizeformatParameters, .withoutInput = emptyText};

const Parameter xmlattrParameters[] = {{"autospace", Value(true)}};
const Signature xmlattrSignature{
    .parameters = xmlattrParameters, .withoutInput = emptyText, .accepts = isObject, .refused = emptyTextInstead};

const Signature textSignature{.parameters = {}, .withoutInput = emptyText};

const Parameter trimParameters[] = {{"chars", Value::null()}};
const Signature trimSignature{
    .parameters = trimParameters, .withoutInput = emptyText, .accepts = isString, .refused = emptyTextInstead};

const Parameter tojsonParameters[] = {{"indent", Value::null()}, {"ensure_ascii", Value(true)}};
const Signature tojsonSignature{.parameters = tojsonParameters, .withoutInput = [] { return Value("null"); }};

const Parameter urlizeParameters[] = {{"trim_url_limit", Value::null()},
                                      {"nofollow", Value(false)},
                                      {"target", Value::null()},
                                      {"rel", Value::null()},
                                      {"extra_schemes", Value::null()}};
const Signature urlizeSignature{
    .parameters = urlizeParameters, .withoutInput = emptyText, .accepts = isString, .refused = emptyTextInstead};

// printf's "%.1f" and "%.0f", whatever the locale.
std::string fixed(double number, int precision)
{
    char digits[400];
    const auto result = std::to_chars(digits, digits + sizeof digits, number, std::chars_format::fixed, precision);
    return std::string(digits, result.ptr);
}

std::string xmlEscaped(std::string_view text)
{
    std::string escaped;
    for (const char byte : text) {
        switch (byte) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += byte;
        }
    }
    return escaped;
}

// Letters, digits, the unreserved marks and what a query may hold unescaped,
// less "&", "=" and "+" when `inComponent`, so a name or value cannot end
// its item or read back as a space.
bool keptInQuery(unsigned char byte, bool inComponent)
{
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9'))
        return true;
    if (inComponent && (byte == '&' || byte == '=' || byte == '+'))
        return false;
    return std::string_view("-._~!$&'()*+,;=:@/?").find(static_cast<char>(byte)) != std::string_view::npos;
}

std::string percentEncoded(std::string_view text, bool inComponent)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (keptInQuery(byte, inComponent))
            encoded += character;
        else
            encoded.append({'%', hexDigits[byte >> 4], hexDigits[byte & 0xF]});
    }
    checkStringSize(encoded.size());
    return encoded;
}

// Every UTF-16 unit past ASCII as "\u" and four lower-case hex digits.
std::string escapeNonASCII(std::string_view json)
{
    static constexpr char hexDigits[] = "0123456789abcdef";
    std::string escaped;
    for (const char16_t unit : Platform::utf16(json)) {
        if (unit < 0x80) {
            escaped += static_cast<char>(unit);
            continue;
        }
        escaped += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            escaped += hexDigits[(unit >> shift) & 0xF];
    }
    checkStringSize(escaped.size());
    return escaped;
}

void prettyPrint(const Value& value, std::size_t level, std::string& out)
{
    const std::string padding(2 * level, ' ');
    if (value.isString()) {
        out.append("\"").append(value.asString().utf8()).append("\"");
    } else if (value.isArray() && !value.asArray().empty()) {
        out += "[\n";
        bool first = true;
        for (const Value& element : value.asArray()) {
            out.append(first ? "" : ",\n").append(padding).append("  ");
            prettyPrint(element, level + 1, out);
            checkStringSize(out.size());
            first = false;
        }
        out.append("\n").append(padding).append("]");
    } else if (value.isObject() && !value.asObject().empty()) {
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : value.asObject()) {
            out.append(first ? "" : ",\n").append(padding).append("  \"").append(key.utf8()).append("\": ");
            prettyPrint(member, level + 1, out);
            checkStringSize(out.size());
            first = false;
        }
        out.append("\n").append(padding).append("}");
    } else if (value.isArray()) {
        out += "[]";
    } else if (value.isObject()) {
        out += "{}";
    } else {
        out += value.description();
    }
}

// The last code point of a non-empty text.
std::optional<char32_t> lastCodePoint(std::string_view text)
{
    std::size_t start = text.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    return Platform::firstCodePoint(text.substr(start));
}

struct UrlizeOptions {
    std::optional<std::uint64_t> trimLimit;
    std::string attributes;
    std::vector<std::string> schemes;
};

// One run of non-space characters, as a link when it reads as one.
void urlizeWord(std::string_view word, const UrlizeOptions& options, std::string& out)
{
    const std::string_view run = word;
    std::size_t leadLength = 0;
    while (!word.empty() && (word.front() == '(' || word.front() == '[')) {
        const std::size_t size = Platform::firstGrapheme(word).size();
        word.remove_prefix(size);
        leadLength += size;
    }
    static constexpr std::u32string_view trailing = U".,:;!?)\"]";
    while (!word.empty()) {
        const std::optional<char32_t> last = lastCodePoint(word);
        if (!last || trailing.find(*last) == std::u32string_view::npos)
            break;
        word.remove_suffix(Platform::lastGrapheme(word).size());
    }
    if (word.empty()) {
        out += run;
        return;
    }
    const std::string lower = Platform::lowercased(word);
    const bool mail = lower.starts_with("mailto:");
    const bool web = lower.starts_with("http://") || lower.starts_with("https://");
    const bool bare = lower.starts_with("www.");
    const bool at = word.find('@') != std::string_view::npos;
    bool scheme = false;
    if (word.find(':') != std::string_view::npos) {
        std::string_view rest = lower;
        while (rest.starts_with(':'))
            rest.remove_prefix(1);
        const std::string_view name = rest.substr(0, rest.find(':'));
        scheme = std::ranges::find(options.schemes, name) != options.schemes.end();
    }
    if (!mail && !web && !bare && !at && !scheme) {
        out += run;
        return;
    }
    const std::string target = at && !mail && !web ? "mailto:" + std::string(word)
                               : bare              ? "https://" + std::string(word)
                                                   : std::string(word);
    std::string display(word);
    if (options.trimLimit && *options.trimLimit < Platform::graphemeCount(word))
        display = std::string(Platform::graphemePrefix(word, *options.trimLimit)) + "...";
    out += run.substr(0, leadLength);
    out.append("<a href=\"").append(htmlEscaped(target)).append("\"").append(options.attributes).append(">");
    out.append(htmlEscaped(display)).append("</a>");
    out += run.substr(leadLength + word.size());
}

} // namespace

Value filesizeformat(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, filesizeformatSignature);
    if (prologue.result)
        return *prologue.result;
    if (!prologue.input.isNumeric())
        return emptyText();
    const bool binary = prologue.bound[0].isTruthy();
    const double size = prologue.input.asNumber();
    const double base = binary ? 1024 : 1000;
    if (std::isnan(size))
        return Value("nan Bytes");
    if (std::isinf(size))
        return Value(size > 0 ? "inf Bytes" : "-inf Bytes");
    // Adding 0.0 turns the -0.0 of a small negative size into 0.
    if (size < base)
        return Value(fixed(std::trunc(size) + 0.0, 0) + " Bytes");
    const int exponent = std::clamp(static_cast<int>(std::log(size) / std::log(base)), 1, 8);
    const char unit = (binary ? "KMGTPEZY" : "kMGTPEZY")[exponent - 1];
    return Value(fixed(size / std::pow(base, exponent), 1) + " " + unit + (binary ? "iB" : "B"));
}

Value xmlattr(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, xmlattrSignature);
    if (prologue.result)
        return *prologue.result;
    std::string pairs;
    for (const auto& [key, value] : prologue.input.asObject()) {
        if (value.isNull() || value.isUndefined())
            continue;
        if (key.utf8().find_first_of(" />=") != std::string::npos)
            throw JinjaError(JinjaError::Kind::runtime, "Invalid character in XML attribute key: '" + key.utf8() + "'");
        pairs.append(pairs.empty() ? "" : " ").append(key.utf8()).append("=\"");
        pairs.append(xmlEscaped(value.description())).append("\"");
        checkStringSize(pairs.size());
    }
    return Value(prologue.bound[0].isTruthy() && !pairs.empty() ? " " + pairs : pairs);
}

Value toString(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, textSignature);
    if (prologue.result)
        return *prologue.result;
    return Value(prologue.input.description());
}

Value trim(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, trimSignature);
    if (prologue.result)
        return *prologue.result;
    const std::string& text = prologue.input.asString().utf8();
    const Value& chars = prologue.bound[0];
    if (!chars.isString() || chars.asString().empty())
        return Value(Platform::trimming(text, Platform::CharacterSet::whitespacesAndNewlines));
    const std::u32string trimmed = Platform::unicodeScalars(chars.asString().utf8());
    std::size_t offset = 0;
    std::optional<std::size_t> begin;
    std::size_t end = 0;
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        if (!codePoint || trimmed.find(*codePoint) == std::u32string::npos) {
            begin = begin.value_or(offset);
            end = offset + bytes.size();
        }
        offset += bytes.size();
    });
    return begin ? Value(std::string_view(text).substr(*begin, end - *begin)) : emptyText();
}

Value escape(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment& environment)
{
    // Bound before anything else, so a keyword fails even without a value to escape.
    resolveCallArguments(arguments.empty() ? arguments : arguments.subspan(1), keywordArguments, {});
    return forceescape(arguments, keywordArguments, environment);
}

Value tojson(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, tojsonSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& indent = prologue.bound[0];
    std::string json;
    try {
        rapidjson::Document document;
        const rapidjson::Value encoded = prologue.input.toJSON(document.GetAllocator());
        json = Platform::JSON::serialize(encoded, {.indented = indent.isInt() && indent.asInt() >= 1});
    } catch (const std::exception&) {
        return Value("null");
    }
    if (Platform::isASCII(json))
        return Value(std::move(json));
    if (Platform::validUTF8(json) != json)
        return Value("null");
    return Value(prologue.bound[1].isTruthy() ? escapeNonASCII(json) : std::move(json));
}

Value urlencode(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, textSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& input = prologue.input;
    if (input.isString())
        return Value(percentEncoded(input.asString().utf8(), false));
    if (!input.isObject())
        return emptyText();
    std::string query;
    for (const auto& [key, value] : input.asObject()) {
        query.append(query.empty() ? "" : "&").append(percentEncoded(key.utf8(), true));
        query.append("=").append(percentEncoded(value.description(), true));
        checkStringSize(query.size());
    }
    return Value(std::move(query));
}

Value urlize(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, urlizeSignature);
    if (prologue.result)
        return *prologue.result;
    const Value& limit = prologue.bound[0];
    const Value& target = prologue.bound[2];
    const Value& rel = prologue.bound[3];
    UrlizeOptions options{.schemes = {"http", "https", "mailto"}};
    if (limit.isInt())
        options.trimLimit = static_cast<std::uint64_t>(std::max<std::int64_t>(limit.asInt(), 0));
    if (prologue.bound[1].isTruthy())
        options.attributes += " rel=\"nofollow\"";
    if (target.isString())
        options.attributes += " target=\"" + htmlEscaped(target.asString().utf8()) + "\"";
    if (rel.isString())
        options.attributes += " rel=\"" + htmlEscaped(rel.asString().utf8()) + "\"";
    if (prologue.bound[4].isArray())
        for (const Value& scheme : prologue.bound[4].asArray())
            if (scheme.isString())
                options.schemes.push_back(Platform::lowercased(scheme.asString().utf8()));
    const std::string_view text = prologue.input.asString().utf8();
    // Runs of white space are copied; each run between them may become a link.
    std::string out;
    std::size_t start = 0;
    std::size_t offset = 0;
    bool inWord = false;
    const auto endRun = [&] {
        const std::string_view run = text.substr(start, offset - start);
        if (inWord)
            urlizeWord(run, options, out);
        else
            out += run;
        checkStringSize(out.size());
        start = offset;
    };
    Platform::forEachCodePoint(text, [&](std::optional<char32_t> codePoint, std::string_view bytes) {
        const bool word = !codePoint || !Platform::isWhiteSpace(*codePoint);
        if (word != inWord && offset > start)
            endRun();
        inWord = word;
        offset += bytes.size();
    });
    endRun();
    return Value(std::move(out));
}

Value pprint(std::span<const Value> arguments, const KeywordArguments& keywordArguments, const Environment&)
{
    const Prologue prologue = begin(arguments, keywordArguments, textSignature);
    if (prologue.result)
        return *prologue.result;
    std::string out;
    prettyPrint(prologue.input, 0, out);
    return Value(std::move(out));
}

void addFormattingFilters(Table& table)
{
    table.emplace("filesizeformat", filesizeformat);
    table.emplace("xmlattr", xmlattr);
    table.emplace("string", toString);
    table.emplace("trim", trim);
    table.emplace("escape", escape);
    table.emplace("e", escape);
    table.emplace("tojson", tojson);
    table.emplace("urlencode", urlencode);
    table.emplace("urlize", urlize);
    table.emplace("pprint", pprint);
}

} // namespace Jinja::Filters
