// Templates nested deeper than the parser allows, compiled on a thread with a
// small stack: each fails with an error instead of overflowing it.

#include "Jinja/JinjaError.h"
#include "Jinja/Template.h"

#include <gtest/gtest.h>

#include <functional>
#include <pthread.h>

using Jinja::JinjaError;
using Jinja::Template;

namespace {

std::string compileError(const std::string& text)
{
    try {
        const Template compiled(text);
    } catch (const JinjaError& error) {
        return error.what();
    }
    return "no error";
}

// Runs `work` on a thread with a small stack, as a library caller's worker may have.
// ThreadSanitizer keeps its large per-thread state in the thread-local storage
// that glibc carves out of the thread's stack, so it gets that much more.
#ifdef __SANITIZE_THREAD__
constexpr std::size_t runtimeThreadState = 8 << 20;
#else
constexpr std::size_t runtimeThreadState = 0;
#endif

void onSmallStack(const std::function<void()>& work)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, (1 << 20) + runtimeThreadState);
    pthread_t thread;
    auto body = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, body, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

std::string repeated(std::string_view piece, int count)
{
    std::string text;
    for (int index = 0; index < count; ++index)
        text += piece;
    return text;
}

} // namespace

TEST(TemplateDepth, DeepNestingFailsCleanlyOnASmallStack)
{
    const std::string tooDeep = "Parser error: Template nested too deeply";
    const std::string cases[] = {
        "{{ " + repeated("(", 100000),
        "{{ " + repeated("1 + ", 299) + "1 }}",
        "{{ " + repeated("[", 300) + repeated("]", 300) + " }}",
        "{{ " + repeated("not ", 300) + "x }}",
        "{{ " + repeated("-", 300) + "x }}",
        "{{ x" + repeated(".a", 300) + " }}",
        "{{ x" + repeated(" | f", 300) + " }}",
        "{{ x[" + repeated("(", 300) + "1" + repeated(")", 300) + "] }}",
        "{{ " + repeated("f(", 300) + repeated(")", 300) + " }}",
        "{{ " + repeated("x | f(", 300) + repeated(")", 300) + " }}",
        "{{ " + repeated("x is f(", 300) + repeated(")", 300) + " }}",
        "{{ " + repeated("x[", 300) + repeated("]", 300) + " }}",
        "{{ " + repeated("{'a': ", 300) + repeated("}", 300) + " }}",
        "{{ " + repeated("1 if x else ", 300) + "1 }}",
        repeated("{% if x %}", 300) + repeated("{% endif %}", 300),
        "{% if a %}" + repeated("{% elif b %}", 300) + "{% endif %}",
        repeated("{% for x in y %}", 300) + repeated("{% endfor %}", 300),
        repeated("{% macro m(a=(1)) %}", 300) + repeated("{% endmacro %}", 300),
    };
    onSmallStack([&] {
        for (const std::string& text : cases)
            EXPECT_EQ(compileError(text), tooDeep) << text.substr(0, 40);
        // Below the limit, deep templates compile, and their trees are freed on this stack too.
        EXPECT_EQ(compileError("{{ " + repeated("(", 200) + "1" + repeated(")", 200) + " }}"), "no error");
        EXPECT_EQ(compileError(repeated("{% if x %}", 200) + repeated("{% endif %}", 200)), "no error");
        EXPECT_EQ(compileError("{{ " + repeated("1 ~ ", 200) + "1 }}"), "no error");
    });
}

TEST(TemplateDepth, SelfCallingTemplatesFailCleanlyOnASmallStack)
{
    const std::string deepList = repeated("[", 200) + "m()" + repeated("]", 200);
    const std::string cases[] = {
        "{% macro m() %}{{ m() }}{% endmacro %}{{ m() }}",
        "{% macro m() %}{{ " + deepList + " }}{% endmacro %}{{ m() }}",
        "{% macro m() %}{% call m() %}{% endcall %}{% endmacro %}{{ m() }}",
        "{% macro m() %}{% for x in [1] %}{% if true %}{{ m() | upper }}{% endif %}{% endfor %}{% endmacro %}"
        "{{ m() }}",
        "{% macro m() %}{% filter upper %}{{ m() }}{% endfilter %}{% endmacro %}{{ m() }}",
    };
    onSmallStack([&] {
        for (const std::string& text : cases) {
            std::string outcome = "no error";
            try {
                Template(text).render({});
            } catch (const JinjaError& error) {
                outcome = error.what();
            }
            EXPECT_EQ(outcome, "Runtime error: Template nested too deeply") << text.substr(0, 60);
        }
    });
}
