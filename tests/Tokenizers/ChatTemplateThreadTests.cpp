#include "Tokenizers/PreTrainedTokenizer.h"

#include <gtest/gtest.h>

#include <thread>

using namespace Tokenizers;
using Hub::Config;

TEST(ChatTemplateThreads, ThreadsSharingATemplateStoreOneAndRenderAlike)
{
    Config::KeyValuePairs vocabulary;
    for (char character : std::string("abcdefghijklmnopqrstuvwxyz:;"))
        vocabulary.emplace_back(std::string(1, character), Config(static_cast<int>(character)));
    const PreTrainedTokenizer tokenizer(
        Config(Config::KeyValuePairs{
            {"tokenizer_class", "GPT2Tokenizer"},
            {"chat_template", "{% for m in messages %}{{ m.role }}:{{ m.content }};{% endfor %}"}}),
        Config(Config::KeyValuePairs{
            {"model", Config(Config::KeyValuePairs{
                          {"type", "BPE"}, {"vocab", Config(vocabulary)}, {"merges", Config(Config::Array{})}})}}),
        true);
    const std::vector<Message> messages = {{{"role", std::string("user")}, {"content", std::string("hello")}},
                                           {{"role", std::string("assistant")}, {"content", std::string("hi")}}};

    constexpr int threadCount = 8;
    std::vector<std::vector<int>> results(threadCount);
    std::vector<const Jinja::Template*> compiled(threadCount);
    std::vector<std::thread> threads;
    for (int index = 0; index < threadCount; ++index)
        threads.emplace_back([&, index] {
            results[index] = tokenizer.applyChatTemplate(messages);
            compiled[index] =
                tokenizer.compiledTemplate(tokenizer.tokenizerConfig()["chat_template"].string().value()).get();
        });
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(tokenizer.decode(results[0]), "user:hello;assistant:hi;");
    for (int index = 1; index < threadCount; ++index) {
        EXPECT_EQ(results[index], results[0]);
        EXPECT_EQ(compiled[index], compiled[0]) << "one template is stored for the source";
    }
}
