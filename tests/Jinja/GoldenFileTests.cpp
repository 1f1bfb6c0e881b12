// Runs every file under Inputs/: a template source, then a line "=== tokens",
// "=== tree" or "=== error", then what the source gives: its tokens, the dump
// of its syntax tree (which must read back as the same tree), or the
// description of the error that compiling throws. A source may also be
// followed by "=== context" and a JSON object of variables, then "=== output"
// and what rendering it gives (with a line feed after it), or "error: " and
// the description of what rendering throws.

#include "Jinja/JinjaError.h"
#include "Jinja/Runtime/ControlFlow.h"
#include "Jinja/Syntax/DebugText.h"
#include "Jinja/Syntax/Lexer.h"
#include "Jinja/Template.h"
#include "Platform/JSON/JSONDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string tokenDump(std::string_view source)
{
    std::string dump;
    for (const Jinja::Token& token : Jinja::Lexer::tokenize(source))
        dump += std::string(Jinja::tokenKindNames.name(token.kind)) + " " +
                Jinja::debugText(Jinja::StringLiteral{token.value}) + " " + std::to_string(token.position) + "\n";
    return dump;
}

// The dump, which must also read back as the same tree.
std::string treeDump(std::string_view source)
{
    const Jinja::Template compiled(source);
    const std::string dump = Jinja::debugText(compiled.nodes());
    EXPECT_EQ(Jinja::nodesFromDebugText(dump), compiled.nodes()) << dump;
    return dump;
}

std::string errorText(std::string_view source)
{
    try {
        const Jinja::Template compiled(source);
    } catch (const Jinja::JinjaError& error) {
        return std::string(error.what()) + "\n";
    }
    return "no error\n";
}

// What rendering gives with a line feed after it, or the description of what
// it threw prefixed by "error: ".
std::string rendered(std::string_view source, std::string_view contextJSON)
{
    Jinja::Template::Context context;
    if (!contextJSON.empty()) {
        const Jinja::Value variables = Jinja::Value::fromJSON(Platform::JSON::parseDocument(contextJSON));
        for (const auto& [name, value] : variables.asObject())
            context.emplace(name, value);
    }
    try {
        return Jinja::Template(source).render(context) + "\n";
    } catch (const Jinja::JinjaError& error) {
        return std::string("error: ") + error.what() + "\n";
    } catch (const Jinja::ControlFlow& signal) {
        return std::string("error: ") + signal.what() + "\n";
    }
}

struct GoldenFile {
    std::string name;
    std::string source;
    std::string context;
    std::string section;
    std::string expected;
};

GoldenFile read(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    const std::string text = contents.str();
    // An empty source leaves the marker on the first line.
    const std::size_t newline = text.starts_with("=== ") ? std::string::npos : text.rfind("\n=== ");
    const std::size_t marker = newline == std::string::npos ? 0 : newline + 1;
    const std::size_t lineEnd = std::min(text.find('\n', marker), text.size());
    GoldenFile golden;
    golden.name = path.filename().string();
    golden.source = text.substr(0, newline == std::string::npos ? 0 : newline);
    golden.section = text.substr(marker + 4, lineEnd - marker - 4);
    golden.expected = lineEnd < text.size() ? text.substr(lineEnd + 1) : "";
    const std::size_t context = golden.source.rfind("\n=== context\n");
    if (context != std::string::npos) {
        golden.context = golden.source.substr(context + 13);
        golden.source.resize(context);
    }
    return golden;
}

} // namespace

TEST(GoldenFiles, EachSourceGivesItsExpectedOutput)
{
    std::size_t seen = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(QEL_JINJA_INPUTS)) {
        if (!entry.is_regular_file())
            continue;
        const GoldenFile golden = read(entry.path());
        ++seen;
        std::string actual;
        if (golden.section == "tokens")
            actual = tokenDump(golden.source);
        else if (golden.section == "tree")
            actual = treeDump(golden.source);
        else if (golden.section == "error")
            actual = errorText(golden.source);
        else if (golden.section == "output")
            actual = rendered(golden.source, golden.context);
        else
            ADD_FAILURE() << golden.name << ": unknown section " << golden.section;
        EXPECT_EQ(actual, golden.expected) << golden.name;
    }
    EXPECT_GT(seen, 0U) << "no golden files under " << QEL_JINJA_INPUTS;
}
