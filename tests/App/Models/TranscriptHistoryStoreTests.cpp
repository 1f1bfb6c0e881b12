#include "App/Models/TranscriptHistoryStore.h"

#include "Support/FileSizeLimit.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

using QEL::SavedTranscript;
using QEL::TranscriptHistoryStore;
namespace fs = std::filesystem;

namespace {

SavedTranscript entry(std::string id, double date, std::string text = "some words")
{
    return {.id = std::move(id), .title = "title", .text = std::move(text), .date = {date}, .wordCount = 2};
}

std::string json(const SavedTranscript& entry)
{
    return R"({"id":")" + entry.id + R"(","title":"title","text":")" + entry.text + R"(","date":)"
        + std::to_string(entry.date.secondsSinceReferenceDate) + R"(,"wordCount":2,"type":"dictation"})";
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> ids(const std::vector<SavedTranscript>& entries)
{
    std::vector<std::string> result;
    for (const auto& entry : entries)
        result.push_back(entry.id);
    return result;
}

} // namespace

TEST(TranscriptHistoryStore, LoadsTheValidEntryFilesNewestFirst)
{
    TestSupport::TemporaryFolder folder;
    TranscriptHistoryStore store(folder / "nested" / "Transcripts");
    const fs::path& dir = store.storageDirectory();
    ASSERT_TRUE(fs::is_directory(dir));

    writeFile(dir / "old.json", json(entry("OLD", 100)));
    writeFile(dir / "new.json", json(entry("NEW", 300)));
    writeFile(dir / "tie1.json", json(entry("TIE1", 200)));
    writeFile(dir / "tie2.json", json(entry("TIE2", 200)));
    // Only visible files with the exact extension are read.
    writeFile(dir / ".hidden.json", json(entry("HIDDEN", 400)));
    writeFile(dir / "text.txt", json(entry("TXT", 400)));
    writeFile(dir / "upper.JSON", json(entry("UPPER", 400)));
    // Files that are no entries are skipped, whatever is wrong with them.
    const std::string valid = json(entry("BAD", 400));
    writeFile(dir / "corrupt.json", "{not json");
    writeFile(dir / "truncated.json", valid.substr(0, valid.size() / 2));
    writeFile(dir / "latin1.json", json(entry("BAD", 400, "caf\xE9")));
    writeFile(dir / "array.json", "[" + valid + "]");
    writeFile(dir / "empty.json", "");
    writeFile(dir / "podcast.json", R"({"id":"BAD","title":"t","text":"x","date":1,"wordCount":1,"type":"podcast"})");
    fs::create_directory(dir / "folder.json");
    ASSERT_EQ(mkfifo((dir / "fifo.json").c_str(), 0600), 0); // must not block the load

    const auto loaded = store.loadAll();
    ASSERT_EQ(loaded.size(), 4u) << testing::PrintToString(ids(loaded));
    EXPECT_EQ(loaded[0].id, "NEW");
    EXPECT_EQ(loaded[3].id, "OLD");
    // Equal dates keep the order in which the folder lists their files.
    std::vector<std::string> tiesListed;
    for (const auto& item : fs::directory_iterator(dir))
        if (item.path().stem().string().starts_with("tie"))
            tiesListed.push_back(item.path().stem() == "tie1" ? "TIE1" : "TIE2");
    EXPECT_EQ((std::vector<std::string> {loaded[1].id, loaded[2].id}), tiesListed);
}

TEST(TranscriptHistoryStore, SavedEntriesLoadBackWhole)
{
    TestSupport::TemporaryFolder folder;
    TranscriptHistoryStore store(folder.path());
    const auto first = SavedTranscript::dictation("hello world", Platform::Date {1000.25});
    ASSERT_TRUE(store.save(*first));
    EXPECT_TRUE(fs::is_regular_file(folder / (first->id + ".json")));

    SavedTranscript changed = *first;
    changed.text = "replaced";
    changed.duration = 3.5;
    ASSERT_TRUE(store.save(changed));

    const auto loaded = store.loadAll();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].text, "replaced");
    EXPECT_EQ(loaded[0].duration, 3.5);
    EXPECT_EQ(loaded[0].date, first->date);
    EXPECT_EQ(loaded[0].title, first->title);

    // A folder removed while the application runs comes back with the next entry.
    fs::remove_all(folder.path());
    EXPECT_TRUE(store.save(entry("AGAIN", 1)));
    EXPECT_EQ(ids(store.loadAll()), std::vector<std::string> {"AGAIN"});
}

TEST(TranscriptHistoryStore, AFailedSaveIsReportedAndWritesNothing)
{
    TestSupport::TemporaryFolder folder;
    TranscriptHistoryStore store(folder.path());
    EXPECT_FALSE(store.save(entry("../outside", 1)));
    EXPECT_FALSE(store.save(entry(".hidden", 1)));
    EXPECT_FALSE(store.save(entry("", 1)));
    EXPECT_FALSE(store.save(entry("NAN", std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(fs::is_empty(folder.path()));
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "outside.json"));

    writeFile(folder / "blocker", "a file where the folder should be");
    TranscriptHistoryStore blocked(folder / "blocker" / "Transcripts");
    EXPECT_FALSE(blocked.save(entry("A", 1)));
    EXPECT_TRUE(blocked.loadAll().empty());
}

TEST(TranscriptHistoryStore, DeletesTheFileTheEntryCameFromAndNothingElse)
{
    TestSupport::TemporaryFolder folder;
    const fs::path dir = folder / "Transcripts";
    TranscriptHistoryStore store(dir);
    // A crafted identifier that would name a file beside the folder.
    writeFile(folder / "x.json", "outside");
    writeFile(dir / "crafted.json", json(entry("../x", 1)));
    // An entry whose file was renamed, and a copy of it with other words.
    writeFile(dir / "renamed.json", json(entry("REAL", 2)));
    writeFile(dir / "restored.json", json(entry("REAL", 4, "other words")));
    writeFile(dir / "KEEP.json", json(entry("KEEP", 3)));
    const auto loaded = store.loadAll();
    ASSERT_EQ(ids(loaded), (std::vector<std::string> {"REAL", "KEEP", "REAL", "../x"}));
    EXPECT_EQ(loaded[0].fileName, "restored.json");

    store.deleteEntry(loaded[3]);
    store.deleteEntry(loaded[2]);
    EXPECT_EQ(TestSupport::fileContents(folder / "x.json"), "outside");
    const auto remaining = store.loadAll();
    ASSERT_EQ(ids(remaining), (std::vector<std::string> {"REAL", "KEEP"}));
    EXPECT_EQ(remaining[0].text, "other words");

    // An entry made here whose identifier names no file in the folder deletes nothing.
    EXPECT_THROW(store.deleteEntry(entry("../x", 1)), std::invalid_argument);
    EXPECT_TRUE(fs::exists(folder / "x.json"));
}

TEST(TranscriptHistoryStore, OnlyAFileAlreadyGoneCountsAsDeleted)
{
    TestSupport::TemporaryFolder folder;
    TranscriptHistoryStore store(folder.path());
    ASSERT_TRUE(store.save(entry("GONE", 1)));
    ASSERT_TRUE(store.save(entry("SAVED", 2)));
    fs::remove(folder / "GONE.json");
    EXPECT_NO_THROW(store.deleteEntry(entry("GONE", 1)));
    EXPECT_NO_THROW(store.deleteEntry(entry("NEVER-SAVED", 1)));
    EXPECT_NO_THROW(store.deleteEntry(entry("SAVED", 2)));
    EXPECT_FALSE(fs::exists(folder / "SAVED.json"));

    // Something the file system refuses to remove is an error, and stays.
    fs::create_directories(folder / "STUCK.json" / "inside");
    EXPECT_THROW(store.deleteEntry(entry("STUCK", 1)), fs::filesystem_error);
    EXPECT_TRUE(fs::exists(folder / "STUCK.json"));
}

TEST(TranscriptHistoryStore, FilesFarLargerThanAnEntryAreSkippedWithoutBeingRead)
{
    TestSupport::TemporaryFolder folder;
    TranscriptHistoryStore store(folder.path());
    ASSERT_TRUE(store.save(entry("SMALL", 1)));
    // Sparse: a size no start-up could afford to read, costing no disk.
    const std::string valid = json(entry("HUGE", 2));
    writeFile(folder / "huge.json", valid);
    fs::resize_file(folder / "huge.json", 7ull << 30);
    writeFile(folder / "limit.json",
              valid + std::string(TranscriptHistoryStore::maximumEntryFileBytes - valid.size(), ' '));
    writeFile(folder / "over.json",
              valid + std::string(TranscriptHistoryStore::maximumEntryFileBytes + 1 - valid.size(), ' '));

    const auto loaded = store.loadAll();
    ASSERT_EQ(ids(loaded), (std::vector<std::string> {"HUGE", "SMALL"}));
    EXPECT_EQ(loaded[0].fileName, "limit.json");
    EXPECT_TRUE(fs::exists(folder / "huge.json"));
}

TEST(TranscriptHistoryStore, ACrashWhileSavingLeavesTheOldEntryLoadable)
{
    TestSupport::TemporaryFolder folder;
    TranscriptHistoryStore store(folder.path());
    ASSERT_TRUE(store.save(entry("A", 1, "old text")));
    ASSERT_TRUE(store.save(entry("B", 2, "other")));

    const int status = TestSupport::runInChildWithFileSizeLimit(64, TestSupport::AtLimit::crash,
        [&] { store.save(entry("A", 1, std::string(4096, 'n'))); });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;

    const auto loaded = TranscriptHistoryStore(folder.path()).loadAll();
    ASSERT_EQ(ids(loaded), (std::vector<std::string> {"B", "A"}));
    EXPECT_EQ(loaded[1].text, "old text");
}

TEST(TranscriptHistoryStore, SharedStoreKeepsTheHistoryInTheDataHome)
{
    TestSupport::TemporaryFolder home;
    TestSupport::ScopedEnvironment dataHome("XDG_DATA_HOME", home.path().string());
    TranscriptHistoryStore& store = TranscriptHistoryStore::shared();
    EXPECT_EQ(store.storageDirectory(), home / "QEL" / "Transcripts");
    EXPECT_TRUE(fs::is_directory(store.storageDirectory()));
    EXPECT_EQ(&store, &TranscriptHistoryStore::shared());
}
