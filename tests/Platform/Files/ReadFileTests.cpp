#include "Platform/Files/ReadFile.h"

#include "Platform/Files/AtomicWrite.h"
#include "Support/TestEnvironment.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using Platform::FileReadError;

TEST(ReadFile, ReadsTheWholeFileAlsoThroughALink)
{
    TestSupport::TemporaryFolder folder;
    const std::string bytes = std::string("binary\0data\n", 12) + std::string(200000, 'x');
    Platform::writeFileAtomically(folder / "file", bytes);
    fs::create_symlink("file", folder / "link");

    EXPECT_EQ(Platform::readFile(folder / "file"), bytes);
    EXPECT_EQ(Platform::readFile(folder / "link"), bytes);
    Platform::writeFileAtomically(folder / "empty", "");
    EXPECT_EQ(Platform::readFile(folder / "empty"), "");
}

TEST(ReadFile, RefusesWhatIsNotARegularFileWithoutBlocking)
{
    TestSupport::TemporaryFolder folder;
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_symlink(folder / "fifo", folder / "link-to-fifo");
    fs::create_directory(folder / "folder");
    fs::create_symlink(folder / "nowhere", folder / "dangling");

    struct Case {
        fs::path path;
        const char* problem;
        bool missing;
    };
    const Case cases[] = {
        {folder / "absent", "No such file or directory", true},
        {folder / "dangling", "No such file or directory", true},
        {folder / "fifo", "it is a FIFO, not a regular file", false},
        {folder / "link-to-fifo", "it is a FIFO, not a regular file", false},
        {folder / "folder", "it is a folder, not a regular file", false},
        {"/dev/zero", "it is a device, not a regular file", false},
    };
    for (const auto& c : cases) {
        try {
            Platform::readFile(c.path);
            ADD_FAILURE() << c.path << " was read";
        } catch (const FileReadError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot read " + c.path.string() + ": " + c.problem);
            EXPECT_EQ(error.isMissing(), c.missing) << c.path;
        }
    }
}

TEST(ReadFile, AFileChangedWhileItIsReadGivesAnErrorNotACrash)
{
    TestSupport::TemporaryFolder folder;
    const auto path = folder / "model";
    Platform::writeFileAtomically(path, std::string(8192, 'a'));
    Platform::RegularFile file(path);
    EXPECT_EQ(file.size(), 8192u);
    EXPECT_FALSE(file.changedSinceOpened());

    // Cut short in place, as a careless copy over the file would do.
    fs::resize_file(path, 100);
    char buffer[200];
    file.readExactly(buffer, 100, 0);
    EXPECT_THROW(file.readExactly(buffer, 200, 0), FileReadError);
    EXPECT_TRUE(file.changedSinceOpened());
}
