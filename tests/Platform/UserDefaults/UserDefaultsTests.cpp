#include "Platform/UserDefaults/UserDefaults.h"

#include "Support/FileSizeLimit.h"
#include "Support/TestEnvironment.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using Platform::DefaultsValue;
using Platform::UserDefaults;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class UserDefaultsTest : public testing::Test {
protected:
    TestSupport::TemporaryFolder folder;
    fs::path file = folder / "tolvek" / "QEL.json";
};

} // namespace

TEST_F(UserDefaultsTest, KeepsEveryTypeDistinctAcrossARestart)
{
    const std::pair<const char*, DefaultsValue> stored[] = {
        {"useQelCoreEngine", false},
        {"falseAsText", std::string("false")},
        {"silenceThresholdMs", std::int64_t {400}},
        {"wholeDouble", 2.0},
        {"vadEnergyThreshold", 0.015},
        {"unbounded", -std::numeric_limits<double>::infinity()},
        {"hotkeyModifiers", std::int64_t {-9'000'000'000'000}},
        {"selectedLanguage", std::string("Grüße \"quoted\" \\ \n")},
        {"customVocabulary", std::vector<std::string> {"Tolvek", "", "QEL"}},
        {"emptyList", std::vector<std::string> {}},
    };
    {
        UserDefaults defaults(file);
        for (const auto& [key, value] : stored)
            defaults.set(value, key);
        defaults.set(true, "launchAtLogin");
        defaults.removeObject("launchAtLogin");
        defaults.removeObject("neverStored");
    }
    UserDefaults reopened(file);
    for (const auto& [key, value] : stored) {
        auto read = reopened.object(key);
        ASSERT_TRUE(read) << key;
        EXPECT_EQ(read->index(), value.index()) << key;
        EXPECT_EQ(*read, value) << key;
    }
    EXPECT_FALSE(reopened.object("launchAtLogin"));
}

TEST_F(UserDefaultsTest, TypedReadsConvertOrFallBackToEmptyDefaults)
{
    UserDefaults defaults(file);
    defaults.set(true, "flag");
    defaults.set(std::int64_t {7}, "integer");
    defaults.set(-3.75, "fraction");
    defaults.set(1e300, "huge");
    defaults.set(std::string("42"), "numericText");
    defaults.set(std::string("YES"), "yesText");
    defaults.set(std::string("keystroke"), "word");
    defaults.set(std::vector<std::string> {"a"}, "list");

    struct Expectation {
        const char* key;
        bool boolean;
        std::int64_t integer;
        double number;
        std::optional<std::string> string;
    };
    const Expectation cases[] = {
        {"flag", true, 1, 1.0, std::nullopt},
        {"integer", true, 7, 7.0, std::nullopt},
        {"fraction", true, -3, -3.75, std::nullopt},
        {"huge", true, std::numeric_limits<std::int64_t>::max(), 1e300, std::nullopt},
        {"numericText", true, 42, 42.0, "42"},
        {"yesText", true, 0, 0.0, "YES"},
        {"word", false, 0, 0.0, "keystroke"},
        {"list", false, 0, 0.0, std::nullopt},
        {"missing", false, 0, 0.0, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(defaults.boolean(c.key), c.boolean) << c.key;
        EXPECT_EQ(defaults.integer(c.key), c.integer) << c.key;
        EXPECT_EQ(defaults.doubleValue(c.key), c.number) << c.key;
        EXPECT_EQ(defaults.string(c.key), c.string) << c.key;
    }
    EXPECT_EQ(defaults.stringArray("list"), std::vector<std::string> {"a"});
    EXPECT_FALSE(defaults.stringArray("word"));
    EXPECT_FALSE(defaults.stringArray("missing"));
}

TEST_F(UserDefaultsTest, UnreadableFilesAreMovedAsideNeverOverwritten)
{
    fs::create_directories(file.parent_path());
    const std::string firstDamage = "{\"selectedModel\": \"tiny\",";
    const std::string secondDamage = "[\"an array is not a settings object\"]";

    writeFile(file, firstDamage);
    {
        UserDefaults defaults(file);
        EXPECT_FALSE(defaults.object("selectedModel"));
        defaults.set(std::string("base"), "selectedModel");
    }
    EXPECT_EQ(TestSupport::fileContents(file.string() + ".corrupt"), firstDamage);
    EXPECT_EQ(UserDefaults(file).string("selectedModel"), "base");

    writeFile(file, secondDamage);
    UserDefaults defaults(file);
    EXPECT_FALSE(defaults.object("selectedModel"));
    EXPECT_EQ(TestSupport::fileContents(file.string() + ".corrupt"), firstDamage);
    EXPECT_EQ(TestSupport::fileContents(file.string() + ".corrupt-2"), secondDamage);
}

TEST_F(UserDefaultsTest, HostileFilesCountAsUnreadableAndAreMovedAside)
{
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> plant;
    };
    const Case cases[] = {
        {"deep nesting", [](const fs::path& path) { writeFile(path, std::string(300000, '[')); }},
        {"deep nesting in a value",
         [](const fs::path& path) { writeFile(path, "{\"a\": " + std::string(300000, '{')); }},
        {"FIFO", [](const fs::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
        {"folder", [](const fs::path& path) { fs::create_directory(path); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(file.parent_path());
        fs::create_directories(file.parent_path());
        c.plant(file);
        const auto planted = fs::symlink_status(file).type();
        {
            UserDefaults defaults(file);
            EXPECT_FALSE(defaults.object("selectedModel"));
            defaults.set(std::string("base"), "selectedModel");
        }
        EXPECT_EQ(fs::symlink_status(file.string() + ".corrupt").type(), planted);
        EXPECT_EQ(UserDefaults(file).string("selectedModel"), "base");
    }
}

TEST_F(UserDefaultsTest, ProcessesWritingTheFileKeepEachOthersKeys)
{
    constexpr int keysPerProcess = 40;
    {
        UserDefaults defaults(file);
        defaults.set(std::string("small"), "selectedModel");
    }
    std::vector<pid_t> children;
    for (int process = 0; process < 2; ++process) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            UserDefaults defaults(file);
            for (int k = 0; k < keysPerProcess; ++k)
                defaults.set(std::int64_t {k}, "key-" + std::to_string(process) + "-" + std::to_string(k));
            _exit(0);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    UserDefaults reopened(file);
    EXPECT_EQ(reopened.string("selectedModel"), "small");
    for (int process = 0; process < 2; ++process)
        for (int k = 0; k < keysPerProcess; ++k)
            EXPECT_EQ(reopened.object("key-" + std::to_string(process) + "-" + std::to_string(k)),
                      DefaultsValue(std::int64_t {k}));
}

TEST_F(UserDefaultsTest, AChangeKeepsOtherWritersChangesAndShowsThem)
{
    UserDefaults first(file);
    UserDefaults second(file);
    first.set(std::string("tiny"), "selectedModel");
    first.set(true, "removeFillers");
    second.set(std::string("de"), "selectedLanguage");
    second.removeObject("removeFillers"); // unknown to it until its last write
    first.set(false, "enableCommands");

    UserDefaults reopened(file);
    EXPECT_EQ(reopened.string("selectedModel"), "tiny");
    EXPECT_EQ(reopened.string("selectedLanguage"), "de");
    EXPECT_EQ(reopened.object("enableCommands"), DefaultsValue(false));
    EXPECT_EQ(first.string("selectedLanguage"), "de");
    EXPECT_FALSE(reopened.object("removeFillers"));
}

TEST_F(UserDefaultsTest, ASymbolicLinkAtThePathKeepsPointingWhereItPointed)
{
    fs::create_directories(folder / "dotfiles");
    fs::create_directories(file.parent_path());
    writeFile(folder / "dotfiles" / "qel.json", R"({"selectedModel": "tiny"})");
    fs::create_symlink(folder / "dotfiles" / "qel.json", file);

    UserDefaults defaults(file);
    EXPECT_EQ(defaults.string("selectedModel"), "tiny");
    defaults.set(std::string("base"), "selectedModel");

    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(UserDefaults(folder / "dotfiles" / "qel.json").string("selectedModel"), "base");
}

TEST_F(UserDefaultsTest, EntriesOfOtherTypesSurviveARewrite)
{
    fs::create_directories(file.parent_path());
    writeFile(file, R"({"window": {"x": 10}, "mixed": [1, "a"], "nothing": null})");
    UserDefaults defaults(file);
    EXPECT_FALSE(defaults.object("window"));
    EXPECT_FALSE(defaults.object("mixed"));
    defaults.set(true, "removeFillers");

    std::string rewritten = TestSupport::fileContents(file);
    EXPECT_NE(rewritten.find("\"window\""), std::string::npos) << rewritten;
    EXPECT_NE(rewritten.find("\"mixed\""), std::string::npos) << rewritten;
    EXPECT_NE(rewritten.find("\"nothing\""), std::string::npos) << rewritten;
    EXPECT_EQ(UserDefaults(file).object("removeFillers"), DefaultsValue(true));
}

TEST_F(UserDefaultsTest, ConcurrentWritersLoseNoKey)
{
    constexpr int threads = 4;
    constexpr int keysPerThread = 25;
    {
        UserDefaults defaults(file);
        std::vector<std::jthread> writers;
        for (int t = 0; t < threads; ++t)
            writers.emplace_back([&defaults, t] {
                for (int k = 0; k < keysPerThread; ++k) {
                    defaults.set(std::int64_t {t * 1000 + k}, "key-" + std::to_string(t) + "-" + std::to_string(k));
                    defaults.boolean("key-0-0");
                }
            });
    }
    UserDefaults reopened(file);
    for (int t = 0; t < threads; ++t)
        for (int k = 0; k < keysPerThread; ++k)
            EXPECT_EQ(reopened.integer("key-" + std::to_string(t) + "-" + std::to_string(k)), t * 1000 + k);
}

TEST_F(UserDefaultsTest, ACrashWhileSavingKeepsTheOldSettings)
{
    {
        UserDefaults defaults(file);
        defaults.set(false, "useQelCoreEngine");
        defaults.set(std::string("small"), "selectedModel");
    }
    // The child dies of the file-size limit half way through writing the new file.
    const int status = TestSupport::runInChildWithFileSizeLimit(256, TestSupport::AtLimit::crash, [&] {
        UserDefaults defaults(file);
        defaults.set(std::string(8192, 'x'), "selectedModel");
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);

    UserDefaults reopened(file);
    EXPECT_EQ(reopened.object("useQelCoreEngine"), DefaultsValue(false));
    EXPECT_EQ(reopened.string("selectedModel"), "small");
    EXPECT_FALSE(fs::exists(file.string() + ".corrupt"));
}

TEST(UserDefaultsLocation, StandardFileLivesInTheConfigFolder)
{
    TestSupport::ScopedEnvironment config("XDG_CONFIG_HOME", "/config/home");
    EXPECT_EQ(UserDefaults::standardFilePath("tolvek", "QEL.json"), "/config/home/tolvek/QEL.json");
}
