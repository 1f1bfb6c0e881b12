#pragma once

// Golden cases of a family of tokenizer stages: each JSON file under
// Inputs/<family>/ holds a list of groups, and a group holds a stage's
// "config" with either its "cases" or the "fault" (and "faultPath") that
// building it must raise, or "none": true when it builds no stage.

#include "Hub/Config/Config.h"
#include "Hub/Config/YYJSONParser.h"
#include "Tokenizers/ConfigurationError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace TestSupport {

struct GoldenGroup {
    std::string label; // file and position, for failure messages
    Hub::Config group;
};

inline std::vector<GoldenGroup> goldenGroups(const std::string& family)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QEL_TOKENIZER_INPUTS) / family))
        if (entry.path().extension() == ".json")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<GoldenGroup> groups;
    for (const std::filesystem::path& file : files) {
        std::ifstream stream(file, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
        const Hub::Config::Array entries = Hub::YYJSONParser::parseToConfig(text).array().value();
        for (std::size_t index = 0; index < entries.size(); ++index)
            groups.push_back({file.filename().string() + " #" + std::to_string(index), entries[index]});
    }
    return groups;
}

inline std::vector<std::string> strings(const Hub::Config& value)
{
    return value.get<std::vector<std::string>>().value_or(std::vector<std::string>{});
}

// The group's cases; a group that builds a stage must have some, so that a
// misspelt key cannot pass unnoticed.
inline Hub::Config::Array goldenCases(const Hub::Config& group)
{
    Hub::Config::Array cases = group.member("cases").array().value_or(Hub::Config::Array{});
    if (cases.empty() && !group.member("none").boolean(false))
        ADD_FAILURE() << "a group without cases";
    return cases;
}

// Whether the group expects a fault; if so, checks that building raises it.
template <class Build>
bool checkedFault(const Hub::Config& group, Build&& build)
{
    const std::optional<std::string> fault = group.member("fault").string();
    if (!fault)
        return false;
    try {
        build();
        ADD_FAILURE() << "built despite the fault " << *fault;
    } catch (const Tokenizers::ConfigurationError& error) {
        EXPECT_EQ(error.what(), *fault);
        EXPECT_EQ(error.keyPath(), strings(group.member("faultPath")));
    }
    return true;
}

} // namespace TestSupport
