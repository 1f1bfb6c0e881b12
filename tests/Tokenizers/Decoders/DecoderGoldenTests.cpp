#include "Tokenizers/GoldenCases.h"

#include "Tokenizers/Decoders/DecoderFactory.h"

using namespace TestSupport;

TEST(Decoders, GoldenCases)
{
    for (const GoldenGroup& golden : goldenGroups("Decoders")) {
        SCOPED_TRACE(golden.label);
        const std::vector<std::string> added = strings(golden.group.member("addedTokens"));
        auto build = [&] {
            return Tokenizers::DecoderFactory::fromConfig(golden.group.member("config"), {added.begin(), added.end()});
        };
        if (checkedFault(golden.group, build))
            continue;
        const std::unique_ptr<Tokenizers::Decoder> decoder = build();
        ASSERT_EQ(decoder == nullptr, golden.group.member("none").boolean(false));
        for (const Hub::Config& example : goldenCases(golden.group)) {
            const std::vector<std::string> input = strings(example.member("input"));
            EXPECT_EQ((*decoder)(input), strings(example.member("expected"))) << example.description();
        }
    }
}
