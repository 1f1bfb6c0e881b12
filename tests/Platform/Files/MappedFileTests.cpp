#include "Platform/Files/MappedFile.h"

#include "Platform/Files/AtomicWrite.h"
#include "Platform/Files/ReadFile.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>

TEST(MappedFile, MapsRegularFilesOnlyEmptyOnesIncluded)
{
    TestSupport::TemporaryFolder folder;
    const std::string bytes = std::string("\0weights", 8) + std::string(100000, 'w');
    Platform::writeFileAtomically(folder / "weights.bin", bytes);
    Platform::writeFileAtomically(folder / "empty.bin", "");

    const Platform::MappedFile mapped(folder / "weights.bin");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(mapped.bytes().data()), mapped.bytes().size()), bytes);
    EXPECT_TRUE(Platform::MappedFile(folder / "empty.bin").bytes().empty());
    EXPECT_THROW(Platform::MappedFile(folder.path()), Platform::FileReadError);
    EXPECT_THROW(Platform::MappedFile(folder / "absent.bin"), Platform::FileReadError);
}
