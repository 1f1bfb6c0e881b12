#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/ModelSupport.h"

#include "RadozodEri/JSONText.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>
#include <unordered_set>

using namespace RadozodEri;
using TestSupport::decodedText;
using TestSupport::encodedText;

namespace {

DeviceSupport row(std::vector<std::string> identifiers, std::vector<std::string> supported)
{
    return {.identifiers = std::move(identifiers),
            .models = {.defaultModel = supported.front(), .supported = std::move(supported)}};
}

std::unordered_set<std::string> asSet(const std::vector<std::string>& names) { return {names.begin(), names.end()}; }

} // namespace

TEST(ModelSupportConfig, KnownModelsAndDisabledPerRow)
{
    const ModelSupportConfig table("local", "1", {row({"X"}, {"a", "b"}), row({"Y"}, {"b", "c"})}, false);
    EXPECT_EQ(table.knownModels(), (std::vector<std::string> {"a", "b", "c"}));
    EXPECT_EQ(asSet(table.deviceSupports()[0].models.disabled), asSet({"c"}));
    EXPECT_EQ(asSet(table.deviceSupports()[1].models.disabled), asSet({"a"}));
    EXPECT_EQ(table.defaultSupport().models.defaultModel, "openai_whisper-base");
    EXPECT_EQ(table.defaultSupport().models.supported, table.knownModels());
    EXPECT_TRUE(table.defaultSupport().models.disabled.empty());
}

TEST(ModelSupportConfig, MergeExtendsSharedRowsAndKeepsTheRest)
{
    const std::vector<DeviceSupport> fallback = {row({"F1", "S"}, {"b", "f"}), row({"F2"}, {"g"}),
                                                 row({"S", "F3"}, {"h"})};
    const std::vector<DeviceSupport> remote = {row({"R1"}, {"a"}), row({"R2", "S"}, {"a", "b"})};
    const std::vector<DeviceSupport> merged = mergeDeviceSupport(remote, fallback);

    ASSERT_EQ(merged.size(), 3u);
    EXPECT_EQ(merged[0], remote[0]);
    // The first fallback row sharing an identifier gives its models, without repeats.
    EXPECT_EQ(merged[1].identifiers, remote[1].identifiers);
    EXPECT_EQ(merged[1].models.defaultModel, "a");
    EXPECT_EQ(merged[1].models.supported, (std::vector<std::string> {"a", "b", "f"}));
    // Rows sharing an identifier with any remote row are left out.
    EXPECT_EQ(merged[2], fallback[1]);
}

TEST(ModelSupportConfig, ReadingMergesOnlyWhenTheNameIsPartOfTheBuiltInOne)
{
    const auto decode = [](const char* name) {
        return decodedText<ModelSupportConfig>(std::string(R"({"name":")") + name + R"(","version":"2",)"
                                               R"("device_support":[{"identifiers":["Mac14"],)"
                                               R"("models":{"default":"custom","supported":["custom"]}}]})");
    };
    for (const char* name : {"reroruvozo-ridodi-viverizo", "reroruvozo-ridodi", "ridodi"}) {
        const ModelSupportConfig merged = decode(name);
        ASSERT_EQ(merged.deviceSupports().size(), 6u) << name;
        EXPECT_EQ(merged.deviceSupports()[0].models.supported.front(), "custom") << name;
        EXPECT_EQ(merged.deviceSupports()[0].models.supported.size(), 23u) << name;
        EXPECT_EQ(merged.knownModels().size(), 23u) << name;
    }
    for (const char* name : {"my-reroruvozo-ridodi-viverizo", "other"}) {
        const ModelSupportConfig own = decode(name);
        ASSERT_EQ(own.deviceSupports().size(), 1u) << name;
        EXPECT_EQ(own.knownModels(), std::vector<std::string> {"custom"}) << name;
    }

    const std::string written = encodedText(decode("ridodi"));
    for (const char* absent : {"knownModels", "defaultSupport", "disabled"})
        EXPECT_EQ(written.find(absent), std::string::npos) << absent;
    EXPECT_EQ(decodedText<ModelSupportConfig>(written).deviceSupports(), decode("ridodi").deviceSupports());
}

TEST(ModelSupportConfig, ReadingNeedsEveryRequiredKey)
{
    const char* refused[] = {
        R"({"version":"1","device_support":[]})",
        R"({"name":"n","device_support":[]})",
        R"({"name":"n","version":"1"})",
        R"({"name":"n","version":"1","device_support":[{"models":{"default":"a","supported":[]}}]})",
        R"({"name":"n","version":"1","device_support":[{"identifiers":[]}]})",
        R"({"name":"n","version":"1","device_support":[{"identifiers":[],"models":{"supported":[]}}]})",
        R"({"name":"n","version":"1","device_support":[{"identifiers":[],"models":{"default":"a"}}]})",
    };
    for (const char* json : refused)
        EXPECT_THROW(decodedText<ModelSupportConfig>(json), Platform::JSON::DecodingError) << json;
    const ModelSupportConfig noChips = decodedText<ModelSupportConfig>(
        R"({"name":"n","version":"1","device_support":[{"chips":null,"identifiers":[],"models":{"default":"a","supported":[]}}]})");
    EXPECT_FALSE(noChips.deviceSupports()[0].chips);
}

TEST(ModelSupportConfig, LongestIdentifierPrefixWinsAndEarlierRowsWinTies)
{
    const ModelSupportConfig table("local", "1",
                                   {row({"Mac1"}, {"short"}), row({"Mac14"}, {"long"}), row({"Mac1"}, {"later"}),
                                    row({"Mac14,1,2,3,4"}, {"longer than the device"})},
                                   false);
    TestSupport::LogCapture log;
    EXPECT_EQ(table.modelSupport("Mac14,2").defaultModel, "long");
    EXPECT_EQ(table.modelSupport("Mac13,1").defaultModel, "short");
    EXPECT_EQ(table.modelSupport("Standard PC (Q35 + ICH9, 2009)"), table.defaultSupport().models);
    EXPECT_EQ(log.lines, (std::vector<std::string> {
                             R"(Matched Mac14,2 to devices: ["Mac14"])",
                             R"(Matched Mac13,1 to devices: ["Mac1"])",
                             "No device support found for Standard PC (Q35 + ICH9, 2009), using default",
                         }));
}

TEST(ModelSupportConfig, BuiltInTable)
{
    const ModelSupportConfig table = Constants::fallbackModelSupportConfig();
    EXPECT_EQ(table.repoName(), "reroruvozo-ridodi-viverizo");
    ASSERT_EQ(table.deviceSupports().size(), 6u);
    EXPECT_EQ(table.knownModels().size(), 22u);
    EXPECT_EQ(table.knownModels().front(), "openai_whisper-base");
    EXPECT_EQ(Constants::knownModels(), table.knownModels());

    const ModelSupport& m1 = table.deviceSupports()[2].models;
    EXPECT_EQ(m1.disabled.size(), 9u);
    for (const std::string& model : table.knownModels()) {
        const bool supported = std::find(m1.supported.begin(), m1.supported.end(), model) != m1.supported.end();
        const bool disabled = std::find(m1.disabled.begin(), m1.disabled.end(), model) != m1.disabled.end();
        EXPECT_NE(supported, disabled) << model;
    }
    EXPECT_EQ(table.modelSupport("MacBookPro18,3").defaultModel, "openai_whisper-large-v3-v20240930_626MB");
}
