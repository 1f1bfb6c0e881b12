#include "App/Models/TranscriptHistoryStore.h"

#include "App/AppIdentity.h"
#include "Platform/Files/AtomicWrite.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONDocument.h"
#include "Platform/Log/Log.h"
#include "Platform/Paths/StandardPaths.h"

#include <algorithm>
#include <stdexcept>

namespace QEL {

namespace {

const Platform::Logger& historyLog()
{
    static const Platform::Logger logger(AppIdentity::bundleIdentifier, "TranscriptHistory");
    return logger;
}

// A name that stays inside the folder and that a listing does not skip.
bool isPlainFileName(const std::string& name)
{
    return !name.empty() && name.front() != '.' && name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

std::string fileName(const std::string& id) { return id + ".json"; }

// The entry in the file, or none when the file is no readable entry.
std::optional<SavedTranscript> readEntry(const std::filesystem::path& path)
{
    try {
        return SavedTranscript::fromJSON(
            Platform::JSON::parseDocument(Platform::readFile(path), {.requireValidUTF8 = true}));
    } catch (const std::runtime_error&) {
        // Reading, parsing and decoding all fail this way; the file is skipped.
        return std::nullopt;
    }
}

std::string encodeEntry(const SavedTranscript& entry)
{
    rapidjson::Document document;
    return Platform::JSON::serialize(entry.toJSON(document.GetAllocator()));
}

} // namespace

TranscriptHistoryStore& TranscriptHistoryStore::shared()
{
    static TranscriptHistoryStore store(Platform::applicationSupportDirectory() / AppIdentity::historyFolder);
    return store;
}

TranscriptHistoryStore::TranscriptHistoryStore(std::filesystem::path storageDirectory)
    : storageDirectory_(std::move(storageDirectory))
{
    std::error_code ignored;
    std::filesystem::create_directories(storageDirectory_, ignored);
}

std::vector<SavedTranscript> TranscriptHistoryStore::loadAll()
{
    std::vector<SavedTranscript> entries;
    std::unordered_map<std::string, std::vector<std::string>> files;
    std::error_code error;
    for (std::filesystem::directory_iterator item(storageDirectory_, error), end; !error && item != end;
         item.increment(error)) {
        const std::string name = item->path().filename().string();
        if (name.front() == '.' || item->path().extension() != ".json")
            continue;
        std::optional<SavedTranscript> entry = readEntry(item->path());
        if (!entry)
            continue;
        files[entry->id].push_back(name);
        entries.push_back(std::move(*entry));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SavedTranscript& a, const SavedTranscript& b) { return a.date > b.date; });
    std::lock_guard lock(mutex_);
    filesByID_ = std::move(files);
    return entries;
}

bool TranscriptHistoryStore::save(const SavedTranscript& entry)
{
    if (!isPlainFileName(entry.id)) {
        historyLog().error("Cannot save the transcript \"" + entry.id + "\": its identifier is not a file name");
        return false;
    }
    const std::string name = fileName(entry.id);
    try {
        const std::string bytes = encodeEntry(entry);
        // Put back a folder that was removed while the application ran.
        std::error_code ignored;
        std::filesystem::create_directories(storageDirectory_, ignored);
        Platform::writeFileAtomically(storageDirectory_ / name, bytes);
    } catch (const std::exception& error) {
        historyLog().error("Cannot save the transcript " + entry.id + ": " + error.what());
        return false;
    }
    std::lock_guard lock(mutex_);
    std::vector<std::string>& names = filesByID_[entry.id];
    if (std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(name);
    return true;
}

void TranscriptHistoryStore::deleteEntry(const std::string& id)
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    if (const auto known = filesByID_.find(id); known != filesByID_.end()) {
        names = known->second;
    } else if (isPlainFileName(id)) {
        names = {fileName(id)};
    } else {
        historyLog().error("Cannot delete the transcript \"" + id + "\": no saved transcript has this identifier");
        throw std::invalid_argument("No saved transcript has the identifier \"" + id + "\"");
    }
    std::vector<std::string> remaining;
    std::optional<std::filesystem::filesystem_error> failure;
    for (const std::string& name : names) {
        const std::filesystem::path path = storageDirectory_ / name;
        std::error_code error;
        // A file that is already gone is no error.
        std::filesystem::remove(path, error);
        if (!error)
            continue;
        historyLog().error("Cannot delete the transcript " + id + " (" + path.string() + "): " + error.message());
        remaining.push_back(name);
        failure.emplace("Cannot delete the transcript " + id, path, error);
    }
    if (remaining.empty())
        filesByID_.erase(id);
    else
        filesByID_[id] = remaining;
    if (failure)
        throw *failure;
}

} // namespace QEL
