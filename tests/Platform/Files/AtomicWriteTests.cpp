#include "Platform/Files/AtomicWrite.h"

#include "Support/FileSizeLimit.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

size_t entryCount(const fs::path& folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

TEST(AtomicWrite, CreatesAndReplacesFilesLeavingNoTemporaryBehind)
{
    TestSupport::TemporaryFolder folder;
    const auto target = folder / "settings.json";

    Platform::writeFileAtomically(target, std::string("first\0binary", 12));
    EXPECT_EQ(TestSupport::fileContents(target), std::string("first\0binary", 12));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Platform::writeFileAtomically(target, "second");
    EXPECT_EQ(TestSupport::fileContents(target), "second");
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entryCount(folder.path()), 1u);
}

TEST(AtomicWrite, WritesThroughSymbolicLinksAndKeepsThem)
{
    TestSupport::TemporaryFolder folder;
    fs::create_directory(folder / "dotfiles");
    Platform::writeFileAtomically(folder / "dotfiles" / "settings.json", "old");
    // A chain of links, relative and absolute, and one whose target does not exist yet.
    fs::create_symlink("dotfiles/settings.json", folder / "first");
    fs::create_symlink(folder / "first", folder / "second");
    fs::create_symlink("dotfiles/new.json", folder / "dangling");

    Platform::writeFileAtomically(folder / "second", "new");
    Platform::writeFileAtomically(folder / "dangling", "created");

    EXPECT_TRUE(fs::is_symlink(folder / "first"));
    EXPECT_TRUE(fs::is_symlink(folder / "second"));
    EXPECT_TRUE(fs::is_symlink(folder / "dangling"));
    EXPECT_EQ(TestSupport::fileContents(folder / "dotfiles" / "settings.json"), "new");
    EXPECT_EQ(TestSupport::fileContents(folder / "dotfiles" / "new.json"), "created");

    fs::create_symlink("loop", folder / "loop");
    EXPECT_THROW(Platform::writeFileAtomically(folder / "loop", "x"), std::system_error);
}

TEST(AtomicWrite, ReportsTheFailingPathAndLeavesNothingBehind)
{
    TestSupport::TemporaryFolder folder;
    const auto target = folder / "missing-folder" / "file";
    try {
        Platform::writeFileAtomically(target, "data");
        FAIL() << "writing into a missing folder must throw";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
        EXPECT_NE(std::string(error.what()).find(target.string()), std::string::npos) << error.what();
    }

    // A write that fails half way (the file-size limit) must not touch the target.
    const auto kept = folder / "kept";
    Platform::writeFileAtomically(kept, "old contents");
    const int status = TestSupport::runInChildWithFileSizeLimit(64, TestSupport::AtLimit::fail, [&] {
        try {
            Platform::writeFileAtomically(kept, std::string(4096, 'x'));
        } catch (const std::system_error&) {
            _exit(0);
        }
        _exit(1);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as success";
    EXPECT_EQ(TestSupport::fileContents(kept), "old contents");
    EXPECT_EQ(entryCount(folder.path()), 1u);
}

TEST(AtomicWrite, ACrashMidWriteLeavesTheOldFileWhole)
{
    TestSupport::TemporaryFolder folder;
    const auto target = folder / "history.json";
    Platform::writeFileAtomically(target, "old contents");

    // The child is killed by the file-size limit in the middle of writing the new contents.
    const int status = TestSupport::runInChildWithFileSizeLimit(
        64, TestSupport::AtLimit::crash, [&] { Platform::writeFileAtomically(target, std::string(4096, 'x')); });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(TestSupport::fileContents(target), "old contents");
}

TEST(MoveFileDurably, ReplacesTheTargetAndReportsAMissingSource)
{
    TestSupport::TemporaryFolder folder;
    const auto download = folder / "model.bin.download";
    const auto target = folder / "model.bin";
    Platform::writeFileAtomically(target, "old");
    Platform::writeFileAtomically(download, "new model");

    Platform::moveFileDurably(download, target);
    EXPECT_EQ(TestSupport::fileContents(target), "new model");
    EXPECT_FALSE(fs::exists(download));

    try {
        Platform::moveFileDurably(download, target);
        FAIL() << "a missing source must throw";
    } catch (const std::system_error& error) {
        EXPECT_NE(std::string(error.what()).find(target.string()), std::string::npos);
    }
    EXPECT_EQ(TestSupport::fileContents(target), "new model");
}

// A folder of several files is replaced whole: after a failure or a crash in
// the middle, the old folder is there with all its files.
TEST(ReplaceFolderAtomically, LeavesTheOldFolderOrTheWholeNewOne)
{
    TestSupport::TemporaryFolder folder;
    const auto target = folder / "Model.mlmodelc";
    const auto writeTwo = [](const std::string& contents) {
        return [contents](const std::filesystem::path& staging) {
            Platform::writeFileAtomically(staging / "a", contents);
            Platform::writeFileAtomically(staging / "b", contents);
        };
    };
    Platform::replaceFolderAtomically(target, writeTwo("first"));
    Platform::replaceFolderAtomically(target, [](const std::filesystem::path& staging) {
        Platform::writeFileAtomically(staging / "c", "second");
    });
    EXPECT_EQ(entryCount(target), 1u);
    EXPECT_EQ(TestSupport::fileContents(target / "c"), "second");

    EXPECT_THROW(Platform::replaceFolderAtomically(target, [](const std::filesystem::path& staging) {
                     Platform::writeFileAtomically(staging / "a", "half");
                     throw std::runtime_error("stopped");
                 }),
                 std::runtime_error);
    EXPECT_EQ(entryCount(folder.path()), 1u) << "the staging folder was left behind";
    const int status = TestSupport::runInChildWithFileSizeLimit(
        64, TestSupport::AtLimit::crash, [&] { Platform::replaceFolderAtomically(target, writeTwo(std::string(4096, 'x'))); });
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(entryCount(target), 1u);
    EXPECT_EQ(TestSupport::fileContents(target / "c"), "second");
}
