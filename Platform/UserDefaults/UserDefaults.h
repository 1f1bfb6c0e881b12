#pragma once

#include "Platform/Log/Log.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace Platform {

// A value that the user defaults store. The alternatives stay distinct across a
// restart: a Boolean false never comes back as the string "false", an integer
// never as a double.
using DefaultsValue = std::variant<bool, std::int64_t, double, std::string, std::vector<std::string>>;

// The application's settings: typed values under string keys, kept in one JSON
// object in a file. Every change replaces the file atomically, so a crash leaves
// the previous or the new settings, never a torn file. Several processes may
// share the file: a change takes an advisory lock on "<name>.lock", re-reads
// the file and applies only this process's changes to it, so no process loses
// another's keys. A symbolic link at the path keeps pointing where it pointed.
//
// A missing file reads as no settings. A file that exists but cannot be read as
// a JSON object (a FIFO, a folder or a document nested absurdly deep included)
// is moved aside (to "<name>.corrupt", "<name>.corrupt-2", ...)
// before anything is written, so the user can still recover it; if it cannot be
// moved, changes are kept in memory only and the file is left alone. Entries of
// types this class does not handle (hand edits) are kept when the file is
// rewritten.
//
// All operations may be called from any thread.
class UserDefaults {
public:
    // Problems with the file are reported through `logger`.
    explicit UserDefaults(std::filesystem::path file, Logger logger = Logger("Platform", "UserDefaults"));
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // Where an application keeps its settings:
    // $XDG_CONFIG_HOME/<folderName>/<fileName> (see Platform::configDirectory()).
    static std::filesystem::path standardFilePath(std::string_view folderName, std::string_view fileName);

    const std::filesystem::path& filePath() const { return file_; }

    // The stored value, or none when the key is absent or holds a type that is
    // not a DefaultsValue.
    std::optional<DefaultsValue> object(std::string_view key) const;

    // Typed reads. Numbers and Booleans convert into one another (true is 1),
    // and a string holding a number reads as that number; "true"/"yes" read as
    // true. Anything else, or an absent key, reads as false or 0.
    bool boolean(std::string_view key) const;
    std::int64_t integer(std::string_view key) const;
    double doubleValue(std::string_view key) const;
    // Each answers only for a stored value of its own type; anything else (a
    // number included) is none.
    template <class T>
    std::optional<T> value(std::string_view key) const
    {
        std::optional<DefaultsValue> stored = object(key);
        if (T* typed = stored ? std::get_if<T>(&*stored) : nullptr)
            return std::move(*typed);
        return std::nullopt;
    }
    std::optional<std::string> string(std::string_view key) const { return value<std::string>(key); }
    std::optional<std::vector<std::string>> stringArray(std::string_view key) const
    {
        return value<std::vector<std::string>>(key);
    }

    // Store or remove a value and rewrite the file. A failure to write is logged
    // and the value stays in effect for this run.
    void set(DefaultsValue value, std::string_view key);
    void removeObject(std::string_view key);

private:
    struct Store;

    void load();
    void save();
    void change(std::string_view key, std::optional<DefaultsValue> value);
    void setAsideUnreadableFile(const std::string& problem);

    std::filesystem::path file_;
    Logger logger_;
    mutable std::mutex mutex_;
    std::unique_ptr<Store> store_;
    bool mayWriteFile_ = true;
};

} // namespace Platform
