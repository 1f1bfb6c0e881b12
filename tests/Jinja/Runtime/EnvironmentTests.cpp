#include "Jinja/Runtime/Environment.h"

#include "Jinja/Builtins/Globals.h"

#include <gtest/gtest.h>

#include <pthread.h>

using Jinja::Environment;
using Jinja::Value;

namespace {

// ThreadSanitizer keeps its per-thread state on the thread's stack.
#ifdef __SANITIZE_THREAD__
constexpr std::size_t runtimeThreadState = 8 << 20;
#else
constexpr std::size_t runtimeThreadState = 0;
#endif

} // namespace

TEST(Environment, ReadsThroughTheChainAndWritesIntoItsOwnScope)
{
    const auto root = Environment::make(nullptr, {{"range", Value(1)}, {"x", Value("root")}});
    EXPECT_TRUE(root->operator[]("range").isFunction());
    EXPECT_TRUE(root->operator[]("missing").isUndefined());
    const auto child = Environment::make(root, {{"range", Value(1)}});
    EXPECT_EQ((*child)["range"].description(), "1");
    EXPECT_FALSE(child->variables().contains("joiner"));
    EXPECT_TRUE((*child)["joiner"].isFunction());

    child->set("x", Value("child"));
    EXPECT_EQ((*child)["x"].description(), "child");
    EXPECT_EQ((*root)["x"].description(), "root");
}

TEST(Environment, SetInChainWritesWhereTheNameLivesOrIntoTheRoot)
{
    const auto root = Environment::make();
    const auto parent = Environment::make(root, {{"ns", Value(1)}});
    const auto child = Environment::make(parent);
    child->setInChain("ns", Value(2));
    EXPECT_EQ(parent->variables().at("ns").description(), "2");
    EXPECT_FALSE(child->variables().contains("ns"));

    child->setInChain("fresh", Value(3));
    EXPECT_EQ(root->variables().at("fresh").description(), "3");
    EXPECT_EQ((*parent)["fresh"].description(), "3");
}

TEST(Environment, ReleasingALongChainDoesNotRecurse)
{
    auto work = [](void*) -> void* {
        auto scope = Environment::make();
        for (int depth = 0; depth < 100'000; ++depth)
            scope = Environment::make(std::move(scope), {{"depth", Value(depth)}});
        scope.reset();
        return nullptr;
    };
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, (1 << 20) + runtimeThreadState);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, work, nullptr), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}
