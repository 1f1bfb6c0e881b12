#pragma once

#include "App/Models/SavedTranscript.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace QEL {

// The transcript history on disk: one JSON file per entry, named by the
// entry's identifier and ".json", in one folder. The store remembers which
// file each entry it has loaded or saved came from, and deletes that file:
// an identifier read out of a file never becomes part of a path.
class TranscriptHistoryStore {
public:
    // The store of "QEL/Transcripts" in the application-support folder (the
    // XDG data home), created on first use.
    static TranscriptHistoryStore& shared();

    // Creates the folder and any missing folders above it; a failure shows
    // when an entry is saved.
    explicit TranscriptHistoryStore(std::filesystem::path storageDirectory);

    const std::filesystem::path& storageDirectory() const { return storageDirectory_; }

    // Every readable entry, newest first; entries with equal dates stay in the
    // order the folder lists them. Only visible files named "*.json" are read;
    // a file that is not a valid entry is skipped. A folder that cannot be
    // listed gives no entries.
    std::vector<SavedTranscript> loadAll();

    // Writes the entry's file, replacing any earlier version whole. Returns
    // false, after logging why, when it cannot: the identifier is not a plain
    // file name, or encoding or writing failed.
    bool save(const SavedTranscript& entry);

    // Removes the file of every entry with this identifier that the store has
    // loaded or saved; for an identifier it has not seen, the file the
    // identifier names when that is a plain file name. A file that is already
    // gone counts as deleted. Any other failure is logged and thrown as
    // std::filesystem::filesystem_error (or std::invalid_argument for an
    // identifier that names no file); the entry then stays on disk.
    void deleteEntry(const std::string& id);

private:
    std::filesystem::path storageDirectory_;
    std::mutex mutex_;
    // File names in the folder, by the identifier read out of each file.
    std::unordered_map<std::string, std::vector<std::string>> filesByID_;
};

} // namespace QEL
