#include "Tokenizers/GoldenCases.h"

#include "Tokenizers/Normalizers/NormalizerFactory.h"

using namespace TestSupport;

TEST(Normalizers, GoldenCases)
{
    for (const GoldenGroup& golden : goldenGroups("Normalizers")) {
        SCOPED_TRACE(golden.label);
        auto build = [&] { return Tokenizers::NormalizerFactory::fromConfig(golden.group.member("config")); };
        if (checkedFault(golden.group, build))
            continue;
        const std::unique_ptr<Tokenizers::Normalizer> normalizer = build();
        ASSERT_EQ(normalizer == nullptr, golden.group.member("none").boolean(false));
        for (const Hub::Config& example : goldenCases(golden.group))
            EXPECT_EQ((*normalizer)(example.member("input").string().value()), example.member("expected").string())
                << example.description();
    }
}
