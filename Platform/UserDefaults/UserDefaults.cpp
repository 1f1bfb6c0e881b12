#include "Platform/UserDefaults/UserDefaults.h"

#include "Platform/Files/AtomicWrite.h"
#include "Platform/Files/FileLock.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONCoding.h"
#include "Platform/JSON/JSONDocument.h"
#include "Platform/Log/Log.h"
#include "Platform/Paths/StandardPaths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <map>
#include <rapidjson/document.h>

namespace Platform {

namespace {

rapidjson::Value keyValue(std::string_view key)
{
    return rapidjson::Value(rapidjson::StringRef(key.data(), key.size()));
}

std::optional<DefaultsValue> toDefaultsValue(const rapidjson::Value& json)
{
    if (json.IsBool())
        return json.GetBool();
    if (json.IsInt64())
        return json.GetInt64();
    if (json.IsNumber())
        return json.GetDouble();
    if (json.IsString())
        return std::string(json.GetString(), json.GetStringLength());
    if (json.IsArray()) {
        std::vector<std::string> strings;
        for (const auto& element : json.GetArray()) {
            if (!element.IsString())
                return std::nullopt;
            strings.emplace_back(element.GetString(), element.GetStringLength());
        }
        return strings;
    }
    return std::nullopt;
}

rapidjson::Value toJSON(const DefaultsValue& value, JSON::Allocator& allocator)
{
    return std::visit([&](const auto& alternative) { return JSON::encode(alternative, allocator); }, value);
}

std::optional<double> parseNumber(std::string_view text)
{
    std::int64_t integer = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), integer);
    if (error == std::errc() && end == text.data() + text.size())
        return static_cast<double>(integer);
    double number = 0;
    auto [doubleEnd, doubleError] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (doubleError == std::errc() && doubleEnd == text.data() + text.size())
        return number;
    return std::nullopt;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowercase)
{
    return std::equal(text.begin(), text.end(), lowercase.begin(), lowercase.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// Converts a stored Boolean, number or numeric string to a number.
std::optional<double> numericValue(const std::optional<DefaultsValue>& value)
{
    if (!value)
        return std::nullopt;
    if (const bool* flag = std::get_if<bool>(&*value))
        return *flag ? 1.0 : 0.0;
    if (const std::int64_t* integer = std::get_if<std::int64_t>(&*value))
        return static_cast<double>(*integer);
    if (const double* number = std::get_if<double>(&*value))
        return *number;
    if (const std::string* text = std::get_if<std::string>(&*value))
        return parseNumber(*text);
    return std::nullopt;
}

// The settings object in the file: an empty one for a missing file, or the
// reason the file is unusable.
std::variant<rapidjson::Document, std::string> readSettingsFile(const std::filesystem::path& file)
{
    try {
        rapidjson::Document parsed = JSON::parseDocument(readFile(file), {.allowNanAndInfinity = true});
        if (!parsed.IsObject())
            return std::string("the top level is not an object");
        return parsed;
    } catch (const FileReadError& error) {
        if (!error.isMissing())
            return std::string(error.what());
    } catch (const JSON::ParseError& error) {
        return std::string(error.what());
    }
    rapidjson::Document empty;
    empty.SetObject();
    return empty;
}

void setMember(rapidjson::Document& document, std::string_view key, const std::optional<DefaultsValue>& value)
{
    auto member = document.FindMember(keyValue(key));
    if (!value) {
        if (member != document.MemberEnd())
            document.EraseMember(member);
        return;
    }
    auto& allocator = document.GetAllocator();
    rapidjson::Value json = toJSON(*value, allocator);
    if (member != document.MemberEnd())
        member->value = json;
    else
        document.AddMember(rapidjson::Value(key.data(), static_cast<rapidjson::SizeType>(key.size()), allocator), json,
                           allocator);
}

// Moves an unreadable settings file out of the way without replacing any earlier
// copy. Returns where it went, or none when it could not be moved.
std::optional<std::filesystem::path> moveAside(const std::filesystem::path& file)
{
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        std::filesystem::path aside = file;
        aside += attempt == 1 ? ".corrupt" : ".corrupt-" + std::to_string(attempt);
        if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0)
            return aside;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

struct UserDefaults::Store {
    rapidjson::Document document;
    // This process's changes that the file does not hold yet: a value, or none
    // for a removal. Each save applies them to the file as it is then, so keys
    // that other processes wrote meanwhile survive.
    std::map<std::string, std::optional<DefaultsValue>, std::less<>> unsaved;
};

UserDefaults::UserDefaults(std::filesystem::path file, Logger logger)
    : file_(std::move(file)), logger_(std::move(logger)), store_(std::make_unique<Store>())
{
    store_->document.SetObject();
    load();
}

UserDefaults::~UserDefaults() = default;

std::filesystem::path UserDefaults::standardFilePath(std::string_view folderName, std::string_view fileName)
{
    return configDirectory() / folderName / fileName;
}

void UserDefaults::load()
{
    auto read = readSettingsFile(file_);
    if (auto* settings = std::get_if<rapidjson::Document>(&read))
        store_->document.Swap(*settings);
    else
        setAsideUnreadableFile(std::get<std::string>(read));
}

void UserDefaults::setAsideUnreadableFile(const std::string& problem)
{
    if (auto aside = moveAside(file_)) {
        logger_.error("Settings file " + file_.string() + " is unreadable (" + problem + "); moved it to " +
                      aside->string() + " and started from defaults");
    } else {
        mayWriteFile_ = false;
        logger_.error("Settings file " + file_.string() + " is unreadable (" + problem +
                      ") and cannot be moved aside; settings changes will not be saved");
    }
}

void UserDefaults::save()
{
    if (!mayWriteFile_)
        return;
    try {
        std::filesystem::create_directories(file_.parent_path());
        // Other processes write this file too: each write holds the lock from
        // reading the file to replacing it.
        FileLock lock(std::filesystem::path(file_) += ".lock");
        auto read = readSettingsFile(file_);
        rapidjson::Document merged;
        if (auto* current = std::get_if<rapidjson::Document>(&read)) {
            merged.Swap(*current);
        } else {
            // Damaged since it was loaded: keep a copy, start again from what
            // this process knows.
            setAsideUnreadableFile(std::get<std::string>(read));
            if (!mayWriteFile_)
                return;
            merged.CopyFrom(store_->document, merged.GetAllocator());
        }
        for (const auto& [key, value] : store_->unsaved)
            setMember(merged, key, value);
        writeFileAtomically(file_, JSON::serialize(merged, {.allowNanAndInfinity = true}) + "\n");
        store_->document.Swap(merged);
        store_->unsaved.clear();
    } catch (const std::exception& failure) {
        logger_.error(std::string("Cannot save settings: ") + failure.what());
    }
}

std::optional<DefaultsValue> UserDefaults::object(std::string_view key) const
{
    std::lock_guard lock(mutex_);
    const auto& document = store_->document;
    auto member = document.FindMember(keyValue(key));
    if (member == document.MemberEnd())
        return std::nullopt;
    return toDefaultsValue(member->value);
}

bool UserDefaults::boolean(std::string_view key) const
{
    std::optional<DefaultsValue> value = object(key);
    if (value)
        if (const std::string* text = std::get_if<std::string>(&*value))
            if (equalsIgnoringCase(*text, "true") || equalsIgnoringCase(*text, "yes"))
                return true;
    std::optional<double> number = numericValue(value);
    return number && *number != 0;
}

std::int64_t UserDefaults::integer(std::string_view key) const
{
    std::optional<DefaultsValue> value = object(key);
    if (value)
        if (const std::int64_t* integer = std::get_if<std::int64_t>(&*value))
            return *integer;
    std::optional<double> number = numericValue(value);
    if (!number || std::isnan(*number))
        return 0;
    // Out-of-range doubles clamp instead of overflowing the conversion.
    constexpr double limit = 9223372036854775807.0;
    if (*number >= limit)
        return std::numeric_limits<std::int64_t>::max();
    if (*number <= -limit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(*number);
}

double UserDefaults::doubleValue(std::string_view key) const
{
    return numericValue(object(key)).value_or(0);
}

void UserDefaults::set(DefaultsValue value, std::string_view key)
{
    change(key, std::move(value));
}

void UserDefaults::removeObject(std::string_view key)
{
    change(key, std::nullopt);
}

void UserDefaults::change(std::string_view key, std::optional<DefaultsValue> value)
{
    std::lock_guard lock(mutex_);
    if (!value && !store_->document.HasMember(keyValue(key)))
        return;
    setMember(store_->document, key, value);
    store_->unsaved.insert_or_assign(std::string(key), std::move(value));
    save();
}

} // namespace Platform
