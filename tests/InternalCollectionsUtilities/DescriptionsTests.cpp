#include "InternalCollectionsUtilities/Descriptions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace InternalCollectionsUtilities;

TEST(Descriptions, SequencesAndKeyValueCollections)
{
    EXPECT_EQ(_arrayDescription(std::vector<std::string>{"a", "b"}), R"(["a", "b"])");
    EXPECT_EQ(_arrayDescription(std::vector<int>{1, 2, 3}), "[1, 2, 3]");
    EXPECT_EQ(_arrayDescription(std::vector<int>{}), "[]");
    EXPECT_EQ(_arrayDescription(std::vector<double>{0.5}), "[0.5]");
    EXPECT_EQ(_dictionaryDescription(std::map<std::string, int>{{"a", 1}, {"b", 2}}), R"(["a": 1, "b": 2])");
    EXPECT_EQ(_dictionaryDescription(std::map<std::string, int>{}), "[:]");
}

TEST(Descriptions, StringsAreQuotedAndEscaped)
{
    EXPECT_EQ(debugForm(std::string("say \"hi\"\\\n\t\x01")), R"("say \"hi\"\\\n\t\u{1}")");
    EXPECT_EQ(debugForm(true), "true");
}

TEST(Descriptions, Addresses)
{
    EXPECT_EQ(_addressString(std::uintptr_t(4096)), "0x1000");
    EXPECT_EQ(_addressString(std::uintptr_t(255)), "0xff");
}

} // namespace
