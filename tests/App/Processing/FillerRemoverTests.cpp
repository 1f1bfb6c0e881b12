#include "App/Processing/FillerRemover.h"

#include <gtest/gtest.h>

TEST(FillerRemover, RemovesFillersAndTidiesWhatTheyLeave)
{
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {"um, I mean, it's basically done", ",, it's done"},
        {"UMMM Hmmmm uhh ahh ehh okay", "okay"},
        {"umbrella", "umbrella"},
        {"so, like, right, actually", ",,,"},
        {"you know what I mean it works", "it works"},
        {"you know what it works", "it works"},
        {"at the end of the day we ship", "we ship"},
        {"it's Sort Of kind of fine", "it's fine"},
        // Phrases match whole words only.
        {"a resort of choice", "a resort of choice"},
        {"Hi meant well", "Hi meant well"},
        {"  literally\n", ""},
        {"um uh so like", ""},
        {"", ""},
    };
    const QEL::FillerRemover remover;
    for (const auto& c : cases) EXPECT_EQ(remover.removeFillers(c.input), c.expected) << c.input;
}
