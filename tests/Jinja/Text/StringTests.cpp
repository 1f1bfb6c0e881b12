#include "Jinja/Text/String.h"

#include <gtest/gtest.h>

using Jinja::String;

TEST(String, CanonicallyEquivalentTextsAreEqualHashAlikeAndOrderByTheirComposedForm)
{
    const String composed("caf\u00E9");
    const String decomposed("cafe\u0301");
    EXPECT_EQ(composed, decomposed);
    EXPECT_EQ(std::hash<String>{}(composed), std::hash<String>{}(decomposed));
    EXPECT_EQ(seededHash(composed, 42), seededHash(decomposed, 42));
    EXPECT_EQ(composed <=> decomposed, std::strong_ordering::equal);
    EXPECT_EQ(decomposed.utf8(), "cafe\u0301"); // kept as written
    EXPECT_NE(composed, String("cafe"));

    // Code point order of the composed forms: "é" (U+00E9) sorts after "z".
    EXPECT_LT(String("cafz"), decomposed);
    EXPECT_LT(String("B"), String("a"));
    EXPECT_LT(String("a"), String("\u00C5"));
    EXPECT_LT(String("A\u030A"), String("\u00C6")); // Å (U+00C5) before Æ (U+00C6)
    EXPECT_LT(String(""), String("a"));
}
