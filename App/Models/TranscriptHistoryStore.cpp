#include "App/Models/TranscriptHistoryStore.h"

#include "App/AppIdentity.h"
#include "Platform/Files/AtomicWrite.h"
#include "Platform/Files/ReadFile.h"
#include "Platform/JSON/JSONDocument.h"
#include "Platform/Log/Log.h"
#include "Platform/Paths/StandardPaths.h"

#include <algorithm>
#include <new>
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

std::string fileName(const std::string& id)
{
    return id + ".json";
}

// The entry in the file, or none when the file is no readable entry.
std::optional<SavedTranscript> readEntry(const std::filesystem::path& path)
{
    try {
        const Platform::RegularFile file(path);
        if (file.size() > TranscriptHistoryStore::maximumEntryFileBytes) {
            historyLog().error("Skipping the history file " + path.string() + ": its " + std::to_string(file.size()) +
                               " bytes are far more than an entry needs");
            return std::nullopt;
        }
        SavedTranscript entry =
            SavedTranscript::fromJSON(Platform::JSON::parseDocument(file.readAll(), {.requireValidUTF8 = true}));
        entry.fileName = path.filename().string();
        return entry;
    } catch (const std::runtime_error&) {
        // Reading, parsing and decoding all fail this way; the file is skipped.
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        // The file grew past the bound after it was opened, or memory is short.
        historyLog().error("Skipping the history file " + path.string() + ": not enough memory to read it");
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
    std::error_code error;
    for (std::filesystem::directory_iterator item(storageDirectory_, error), end; !error && item != end;
         item.increment(error)) {
        const std::string name = item->path().filename().string();
        if (name.front() == '.' || item->path().extension() != ".json")
            continue;
        if (std::optional<SavedTranscript> entry = readEntry(item->path()))
            entries.push_back(std::move(*entry));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SavedTranscript& a, const SavedTranscript& b) { return a.date > b.date; });
    return entries;
}

bool TranscriptHistoryStore::save(const SavedTranscript& entry)
{
    if (!isPlainFileName(entry.id)) {
        historyLog().error("Cannot save the transcript \"" + entry.id + "\": its identifier is not a file name");
        return false;
    }
    try {
        const std::string bytes = encodeEntry(entry);
        // Put back a folder that was removed while the application ran.
        std::error_code ignored;
        std::filesystem::create_directories(storageDirectory_, ignored);
        Platform::writeFileAtomically(storageDirectory_ / fileName(entry.id), bytes);
    } catch (const std::exception& error) {
        historyLog().error("Cannot save the transcript " + entry.id + ": " + error.what());
        return false;
    }
    return true;
}

void TranscriptHistoryStore::deleteEntry(const SavedTranscript& entry)
{
    std::string name = entry.fileName;
    if (name.empty() && isPlainFileName(entry.id))
        name = fileName(entry.id);
    if (!isPlainFileName(name)) {
        historyLog().error("Cannot delete the transcript \"" + entry.id + "\": it names no file of the history");
        throw std::invalid_argument("The transcript \"" + entry.id + "\" names no file of the history");
    }
    const std::filesystem::path path = storageDirectory_ / name;
    std::error_code error;
    // A file that is already gone is no error.
    std::filesystem::remove(path, error);
    if (error) {
        historyLog().error("Cannot delete the transcript " + entry.id + " (" + path.string() + "): " + error.message());
        throw std::filesystem::filesystem_error("Cannot delete the transcript " + entry.id, path, error);
    }
}

} // namespace QEL
