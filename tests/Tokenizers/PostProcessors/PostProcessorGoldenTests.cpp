#include "Tokenizers/GoldenCases.h"

#include "Tokenizers/PostProcessors/PostProcessorFactory.h"
#include "Tokenizers/PostProcessors/SpecialToken.h"

using namespace TestSupport;

TEST(PostProcessors, GoldenCases)
{
    for (const GoldenGroup& golden : goldenGroups("PostProcessors")) {
        SCOPED_TRACE(golden.label);
        auto build = [&] { return Tokenizers::PostProcessorFactory::fromConfig(golden.group.member("config")); };
        if (checkedFault(golden.group, build))
            continue;
        const std::unique_ptr<Tokenizers::PostProcessor> processor = build();
        ASSERT_EQ(processor == nullptr, golden.group.member("none").boolean(false));
        for (const Hub::Config& example : goldenCases(golden.group)) {
            std::optional<std::vector<std::string>> pair;
            if (example.member("pair").array())
                pair = strings(example.member("pair"));
            EXPECT_EQ((*processor)(strings(example.member("tokens")), pair,
                                   example.member("addSpecialTokens").boolean().value()),
                      strings(example.member("expected")))
                << example.description();
        }
    }
}

TEST(PostProcessors, SpecialTokensReadTheirIdAndText)
{
    const Hub::Config config = Hub::YYJSONParser::parseToConfig(R"({"sep": ["</s>", 2], "cls": ["<s>", 0]})");
    const Tokenizers::SpecialToken sep = Tokenizers::SpecialToken::required(config, "sep");
    EXPECT_EQ(sep.id, 2u);
    EXPECT_EQ(sep.text, "</s>");
}
