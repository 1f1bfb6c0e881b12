#include "App/Models/SavedTranscript.h"
#include "Platform/JSON/JSONDocument.h"

#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <unordered_set>

using QEL::SavedTranscript;

namespace {

std::string encoded(const SavedTranscript& entry)
{
    rapidjson::Document document;
    return Platform::JSON::serialize(entry.toJSON(document.GetAllocator()));
}

SavedTranscript decoded(const std::string& json)
{
    return SavedTranscript::fromJSON(Platform::JSON::parseDocument(json));
}

void expectSameFields(const SavedTranscript& a, const SavedTranscript& b)
{
    EXPECT_EQ(a.id, b.id);
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.text, b.text);
    EXPECT_EQ(a.date, b.date);
    EXPECT_EQ(a.duration, b.duration);
    EXPECT_EQ(a.wordCount, b.wordCount);
    EXPECT_EQ(a.language, b.language);
    EXPECT_EQ(a.type, b.type);
}

} // namespace

TEST(SavedTranscript, WritesTheFileFormatAndReadsItBack)
{
    const SavedTranscript full {
        .id = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F",
        .title = "Title — \"quoted\"",
        .text = "two words\nand a line ✓",
        .date = {725846400.123456789},
        .duration = 75.25,
        .wordCount = 5,
        .language = "de",
        .type = SavedTranscript::TranscriptType::meeting,
    };
    expectSameFields(decoded(encoded(full)), full);

    // Absent optionals leave their keys out; nothing is indented.
    const SavedTranscript bare {.id = "A", .title = "T", .text = "x", .date = {-1.5}, .wordCount = 1};
    EXPECT_EQ(encoded(bare), R"({"id":"A","title":"T","text":"x","date":-1.5,"wordCount":1,"type":"dictation"})");
    expectSameFields(decoded(encoded(bare)), bare);
}

TEST(SavedTranscript, ReadsWhatOtherWritersMayProduceAndRefusesWhatIsNoEntry)
{
    const std::string required = R"("id":"A","title":"T","text":"x","date":10,"wordCount":1)";
    const SavedTranscript lenient = decoded(R"({"extra":[1,{"k":null}],"type":"meeting","duration":null,)"
                                            R"("language":null,)" + required + "}");
    EXPECT_EQ(lenient.date, Platform::Date {10});
    EXPECT_EQ(lenient.duration, std::nullopt);
    EXPECT_EQ(lenient.language, std::nullopt);
    EXPECT_EQ(lenient.type, SavedTranscript::TranscriptType::meeting);

    const std::string refused[] = {
        R"({"type":"podcast",)" + required + "}",
        R"({"type":"Dictation",)" + required + "}",
        R"({"id":"A","title":"T","text":"x","date":10,"type":"dictation"})", // no word count
        R"({"id":null,"title":"T","text":"x","date":10,"wordCount":1,"type":"dictation"})",
        R"({"id":"A","title":"T","text":"x","date":"today","wordCount":1,"type":"dictation"})",
        R"({"id":"A","title":"T","text":"x","date":10,"wordCount":1.5,"type":"dictation"})",
        R"({"type":"dictation","duration":"long",)" + required + "}",
        R"([{"type":"dictation",)" + required + "}]",
    };
    for (const std::string& json : refused)
        EXPECT_THROW(decoded(json), Platform::JSON::DecodingError) << json;
}

TEST(SavedTranscript, TitleIsTheLocalDateAndTheFirstFiftyCharacters)
{
    TestSupport::ScopedEnvironment locale("LC_ALL", "de_DE.UTF-8");
    TestSupport::ScopedEnvironment zone("TZ", "Europe/Berlin");
    const Platform::Date newYear {0}; // 2001-01-01 00:00 UTC, 01:00 in Berlin
    const std::string accented = "e\u0301"; // one character of two code points
    std::string fifty;
    for (int i = 0; i < 49; ++i)
        fifty += 'a';
    fifty += accented;

    EXPECT_EQ(SavedTranscript::generateTitle(fifty, newYear), "01.01.2001, 01:00 — " + fifty);
    EXPECT_EQ(SavedTranscript::generateTitle(fifty + "b", newYear), "01.01.2001, 01:00 — " + fifty + "...");
    EXPECT_EQ(SavedTranscript::generateTitle(accented + fifty, newYear),
        "01.01.2001, 01:00 — " + accented + fifty.substr(0, 49) + "...");
}

TEST(SavedTranscript, ARecordingMakesADictationEntryOfItsTrimmedText)
{
    const Platform::Date now = Platform::Date::now();
    EXPECT_EQ(SavedTranscript::dictation(" \n\t\u2028 ", now), std::nullopt);

    const auto entry = SavedTranscript::dictation("\n  hello  there\nworld \u2029", now);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->text, "hello  there\nworld");
    EXPECT_EQ(entry->wordCount, 2); // the line break does not separate words
    EXPECT_EQ(entry->title, SavedTranscript::generateTitle("hello  there\nworld", now));
    EXPECT_EQ(entry->date, now);
    EXPECT_EQ(entry->duration, std::nullopt);
    EXPECT_EQ(entry->language, std::nullopt);
    EXPECT_EQ(entry->type, SavedTranscript::TranscriptType::dictation);
    EXPECT_EQ(entry->id.size(), 36u);
    EXPECT_EQ(entry->id.find_first_not_of("0123456789ABCDEF-"), std::string::npos) << entry->id;
    EXPECT_NE(SavedTranscript::dictation("hello", now)->id, entry->id);
}

TEST(SavedTranscript, EntriesAreTheSameEntryByIdentifierAlone)
{
    const SavedTranscript a {.id = "A", .text = "one"};
    const SavedTranscript sameID {.id = "A", .text = "two", .wordCount = 9};
    EXPECT_EQ(a, sameID);
    EXPECT_NE(a, (SavedTranscript {.id = "B", .text = "one"}));
    EXPECT_EQ(std::unordered_set<SavedTranscript>({a, sameID}).size(), 1u);
}
