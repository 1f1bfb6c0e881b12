#include "Tokenizers/GoldenCases.h"

#include "Tokenizers/PreTokenizers/PreTokenizerFactory.h"

using namespace TestSupport;

TEST(PreTokenizers, GoldenCases)
{
    for (const GoldenGroup& golden : goldenGroups("PreTokenizers")) {
        SCOPED_TRACE(golden.label);
        auto build = [&] { return Tokenizers::PreTokenizerFactory::fromConfig(golden.group.member("config")); };
        if (checkedFault(golden.group, build))
            continue;
        const std::unique_ptr<Tokenizers::PreTokenizer> preTokenizer = build();
        ASSERT_EQ(preTokenizer == nullptr, golden.group.member("none").boolean(false));
        for (const Hub::Config& example : goldenCases(golden.group)) {
            Tokenizers::PreTokenizerOptions options;
            if (example.member("firstSection").boolean(false))
                options.insert(Tokenizers::PreTokenizerOption::firstSection);
            EXPECT_EQ((*preTokenizer)(example.member("input").string().value(), options),
                      strings(example.member("expected")))
                << example.description();
        }
    }
}
