#include "Platform/JSON/JSONDocument.h"

#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <array>
#include <cmath>
#include <string_view>
#include <vector>

namespace Platform::JSON {

namespace {

using rapidjson::SizeType;

// Hands every parsing event on to the document, refusing to open a container
// beyond the depth limit.
class DepthLimitedBuilder {
public:
    DepthLimitedBuilder(rapidjson::Document& document, std::size_t maxDepth) : document_(document), maxDepth_(maxDepth)
    {
    }

    bool tooDeep() const { return tooDeep_; }

    bool Null() { return document_.Null(); }
    bool Bool(bool value) { return document_.Bool(value); }
    bool Int(int value) { return document_.Int(value); }
    bool Uint(unsigned value) { return document_.Uint(value); }
    bool Int64(int64_t value) { return document_.Int64(value); }
    bool Uint64(uint64_t value) { return document_.Uint64(value); }
    bool Double(double value) { return document_.Double(value); }
    bool RawNumber(const char* text, SizeType length, bool copy) { return document_.RawNumber(text, length, copy); }
    bool String(const char* text, SizeType length, bool copy) { return document_.String(text, length, copy); }
    bool Key(const char* text, SizeType length, bool copy) { return document_.Key(text, length, copy); }
    bool StartObject() { return open() && document_.StartObject(); }
    bool EndObject(SizeType count)
    {
        --depth_;
        return document_.EndObject(count);
    }
    bool StartArray() { return open() && document_.StartArray(); }
    bool EndArray(SizeType count)
    {
        --depth_;
        return document_.EndArray(count);
    }

private:
    bool open()
    {
        if (depth_ == maxDepth_) {
            tooDeep_ = true;
            return false;
        }
        ++depth_;
        return true;
    }

    rapidjson::Document& document_;
    std::size_t maxDepth_;
    std::size_t depth_ = 0;
    bool tooDeep_ = false;
};

template <unsigned flags>
rapidjson::Document parseWith(std::string_view text, std::size_t maxDepth)
{
    rapidjson::Document document;
    rapidjson::Reader reader;
    bool tooDeep = false;
    // The document keeps what the builder produced only when parsing succeeded.
    auto build = [&](rapidjson::Document& target) {
        rapidjson::MemoryStream stream(text.data(), text.size());
        DepthLimitedBuilder builder(target, maxDepth);
        const bool parsed = !reader.Parse<flags | rapidjson::kParseIterativeFlag>(stream, builder).IsError();
        tooDeep = builder.tooDeep();
        return parsed;
    };
    document.Populate(build);
    if (tooDeep)
        throw ParseError(reader.GetParseErrorCode(), "Nesting deeper than " + std::to_string(maxDepth) + " levels",
                         reader.GetErrorOffset());
    if (reader.HasParseError())
        throw ParseError(reader.GetParseErrorCode(), rapidjson::GetParseError_En(reader.GetParseErrorCode()),
                         reader.GetErrorOffset());
    return document;
}

// False for a number the writer refuses.
template <class Writer>
bool writeScalar(const rapidjson::Value& value, Writer& writer)
{
    if (value.IsNull())
        return writer.Null();
    if (value.IsBool())
        return writer.Bool(value.GetBool());
    if (value.IsString())
        return writer.String(value.GetString(), value.GetStringLength());
    if (value.IsDouble())
        return writer.Double(value.GetDouble());
    if (value.IsInt())
        return writer.Int(value.GetInt());
    if (value.IsUint())
        return writer.Uint(value.GetUint());
    if (value.IsInt64())
        return writer.Int64(value.GetInt64());
    return writer.Uint64(value.GetUint64());
}

struct OpenContainer {
    const rapidjson::Value* container;
    SizeType next;
};

// Where the value last taken from the innermost container lies, as
// segments[0].avgLogprob.
std::string pathOf(const std::vector<OpenContainer>& open)
{
    std::string path;
    for (const OpenContainer& level : open) {
        const SizeType index = level.next - 1;
        if (level.container->IsArray()) {
            path += "[" + std::to_string(index) + "]";
        } else {
            const rapidjson::Value& key = level.container->MemberBegin()[index].name;
            path += (path.empty() ? "" : ".") + std::string(key.GetString(), key.GetStringLength());
        }
    }
    return path;
}

WriteError unwritableNumber(double number, const std::vector<OpenContainer>& open)
{
    const char* name = std::isnan(number) ? "NaN" : number > 0 ? "infinity" : "-infinity";
    const std::string path = pathOf(open);
    return WriteError(std::string("Cannot write ") + name + (path.empty() ? "" : " at \"" + path + "\"") +
                      ": JSON has no number for it");
}

// Walks the value with an explicit stack of the containers still open.
template <class Writer>
void writeIteratively(const rapidjson::Value& root, Writer& writer)
{
    std::vector<OpenContainer> open;
    const rapidjson::Value* pending = &root;
    for (;;) {
        if (pending) {
            if (pending->IsObject()) {
                writer.StartObject();
                open.push_back({pending, 0});
            } else if (pending->IsArray()) {
                writer.StartArray();
                open.push_back({pending, 0});
            } else if (!writeScalar(*pending, writer)) {
                throw unwritableNumber(pending->GetDouble(), open);
            }
            pending = nullptr;
        }
        if (open.empty())
            return;
        OpenContainer& top = open.back();
        if (top.container->IsObject()) {
            if (top.next == top.container->MemberCount()) {
                writer.EndObject(top.next);
                open.pop_back();
                continue;
            }
            const auto& member = top.container->MemberBegin()[top.next++];
            writer.Key(member.name.GetString(), member.name.GetStringLength());
            pending = &member.value;
        } else {
            if (top.next == top.container->Size()) {
                writer.EndArray(top.next);
                open.pop_back();
                continue;
            }
            pending = &(*top.container)[top.next++];
        }
    }
}

template <unsigned flags>
std::string serializeCompactly(const rapidjson::Value& value)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>, rapidjson::CrtAllocator, flags>
        writer(buffer);
    writeIteratively(value, writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

// The library's indenting writer takes no write flags, so it writes
// non-finite numbers itself when they are allowed.
class IndentingWriter : public rapidjson::PrettyWriter<rapidjson::StringBuffer> {
public:
    IndentingWriter(rapidjson::StringBuffer& buffer, bool allowNanAndInfinity)
        : PrettyWriter(buffer), allowNanAndInfinity_(allowNanAndInfinity)
    {
        SetIndent(' ', 2);
    }

    bool Double(double number)
    {
        if (std::isfinite(number) || !allowNanAndInfinity_)
            return PrettyWriter::Double(number);
        const std::string_view text = std::isnan(number) ? "NaN" : number > 0 ? "Infinity" : "-Infinity";
        return RawValue(text.data(), text.size(), rapidjson::kNumberType);
    }

private:
    bool allowNanAndInfinity_;
};

} // namespace

ParseError::ParseError(unsigned code, const std::string& problem, std::size_t offset)
    : std::runtime_error(problem + " at offset " + std::to_string(offset)), code_(code), problem_(problem),
      offset_(offset)
{
}

namespace {

// The reader takes its options as template flags: each option that is on adds
// its flag, one option after the other.
template <unsigned flags, std::size_t option = 0>
rapidjson::Document parseWithOptions(std::string_view text, const ParseOptions& options)
{
    constexpr std::array optionFlags {rapidjson::kParseNanAndInfFlag, rapidjson::kParseValidateEncodingFlag,
                                      rapidjson::kParseFullPrecisionFlag};
    if constexpr (option == optionFlags.size()) {
        return parseWith<flags>(text, options.maxDepth);
    } else {
        const bool wanted[] {options.allowNanAndInfinity, options.requireValidUTF8, options.fullPrecision};
        if (wanted[option])
            return parseWithOptions<flags | optionFlags[option], option + 1>(text, options);
        return parseWithOptions<flags, option + 1>(text, options);
    }
}

} // namespace

rapidjson::Document parseDocument(std::string_view text, const ParseOptions& options)
{
    return parseWithOptions<rapidjson::kParseDefaultFlags>(text, options);
}

std::string serialize(const rapidjson::Value& value, const WriteOptions& options)
{
    if (options.indented) {
        rapidjson::StringBuffer buffer;
        IndentingWriter writer(buffer, options.allowNanAndInfinity);
        writeIteratively(value, writer);
        return std::string(buffer.GetString(), buffer.GetSize());
    }
    if (options.allowNanAndInfinity)
        return serializeCompactly<rapidjson::kWriteNanAndInfFlag>(value);
    return serializeCompactly<rapidjson::kWriteDefaultFlags>(value);
}

} // namespace Platform::JSON
