#include "Platform/JSON/JSONDocument.h"

#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <vector>

namespace Platform::JSON {

namespace {

using rapidjson::SizeType;

// Hands every parsing event on to the document, refusing to open a container
// beyond the depth limit.
class DepthLimitedBuilder {
public:
    DepthLimitedBuilder(rapidjson::Document& document, std::size_t maxDepth)
        : document_(document), maxDepth_(maxDepth)
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
        throw ParseError("Nesting deeper than " + std::to_string(maxDepth) + " levels", reader.GetErrorOffset());
    if (reader.HasParseError())
        throw ParseError(rapidjson::GetParseError_En(reader.GetParseErrorCode()), reader.GetErrorOffset());
    return document;
}

template <class Writer>
void writeScalar(const rapidjson::Value& value, Writer& writer)
{
    bool written = true;
    if (value.IsNull())
        written = writer.Null();
    else if (value.IsBool())
        written = writer.Bool(value.GetBool());
    else if (value.IsString())
        written = writer.String(value.GetString(), value.GetStringLength());
    else if (value.IsDouble())
        written = writer.Double(value.GetDouble());
    else if (value.IsInt())
        written = writer.Int(value.GetInt());
    else if (value.IsUint())
        written = writer.Uint(value.GetUint());
    else if (value.IsInt64())
        written = writer.Int64(value.GetInt64());
    else
        written = writer.Uint64(value.GetUint64());
    if (!written)
        throw WriteError("Cannot write the number " + std::to_string(value.GetDouble()) + " as JSON");
}

// Walks the value with an explicit stack of the containers still open.
template <class Writer>
void writeIteratively(const rapidjson::Value& root, Writer& writer)
{
    struct OpenContainer {
        const rapidjson::Value* container;
        SizeType next;
    };
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
            } else {
                writeScalar(*pending, writer);
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
std::string serializeWith(const rapidjson::Value& value)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>, rapidjson::CrtAllocator, flags>
        writer(buffer);
    writeIteratively(value, writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

} // namespace

ParseError::ParseError(const std::string& problem, std::size_t offset)
    : std::runtime_error(problem + " at offset " + std::to_string(offset)), offset_(offset)
{
}

rapidjson::Document parseDocument(std::string_view text, const ParseOptions& options)
{
    constexpr unsigned nanAndInfinity = rapidjson::kParseNanAndInfFlag;
    constexpr unsigned validUTF8 = rapidjson::kParseValidateEncodingFlag;
    if (options.allowNanAndInfinity)
        return options.requireValidUTF8 ? parseWith<nanAndInfinity | validUTF8>(text, options.maxDepth)
                                        : parseWith<nanAndInfinity>(text, options.maxDepth);
    return options.requireValidUTF8 ? parseWith<validUTF8>(text, options.maxDepth)
                                    : parseWith<rapidjson::kParseDefaultFlags>(text, options.maxDepth);
}

std::string serialize(const rapidjson::Value& value, const WriteOptions& options)
{
    if (options.allowNanAndInfinity)
        return serializeWith<rapidjson::kWriteNanAndInfFlag>(value);
    return serializeWith<rapidjson::kWriteDefaultFlags>(value);
}

} // namespace Platform::JSON
