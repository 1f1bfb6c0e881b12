#pragma once

#include "App/Models/SavedTranscript.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace QEL {

// The transcript history on disk: one JSON file per entry, named by the
// entry's identifier and ".json", in one folder. Each loaded entry carries the
// name of its file, and deleting it deletes that file only: an identifier read
// out of a file never becomes part of a path, and two files holding the same
// identifier stay two entries.
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
    // a file that is not a valid entry, is larger than maximumEntryFileBytes or
    // cannot be held in memory is skipped (the last two with a log line). A
    // folder that cannot be listed gives no entries.
    std::vector<SavedTranscript> loadAll();

    // Writes the entry's file, replacing any earlier version whole. Returns
    // false, after logging why, when it cannot: the identifier is not a plain
    // file name, or encoding or writing failed.
    bool save(const SavedTranscript& entry);

    // Removes the file the entry was loaded from; for an entry made in this
    // run, the file its identifier names when that is a plain file name. A
    // file that is already gone counts as deleted. Any other failure is logged
    // and thrown as std::filesystem::filesystem_error (or std::invalid_argument
    // for an entry that names no file); the entry then stays on disk.
    void deleteEntry(const SavedTranscript& entry);

    // An entry is a few kilobytes; a file far larger is no entry, and reading
    // it whole would cost the start-up its time and memory.
    static constexpr std::uintmax_t maximumEntryFileBytes = 16 * 1024 * 1024;

private:
    std::filesystem::path storageDirectory_;
};

} // namespace QEL
