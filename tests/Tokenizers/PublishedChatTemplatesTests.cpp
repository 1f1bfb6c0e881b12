// The chat templates that published tokenizer configurations carry, rendered
// for a few conversations and compared with the text each template prints,
// worked out from its source. Skipped when the test set-up has not fetched
// the files.
#include "Tokenizers/PublishedTokenizers.h"

#include "Jinja/Builtins/TemplateException.h"

#include <gtest/gtest.h>

using namespace Tokenizers;
using TestSupport::publishedTokenizer;

namespace {

using Map = std::map<std::string, std::any>;

Message message(const std::string& role, const std::string& content)
{
    return {{"role", role}, {"content", content}};
}

const std::vector<Message> systemAndUser = {message("system", "You are a helpful assistant."),
                                            message("user", "Hello")};
const std::vector<Message> threeTurns = {message("user", "Hi"), message("assistant", "Hello! How can I help?"),
                                         message("user", "Tell me a joke.")};
const std::vector<Message> answered = {message("user", "Hi"), message("assistant", "Hello!")};

const std::vector<ToolSpec> weatherTools = {
    {{"type", std::string("function")},
     {"function", Map{{"name", std::string("get_weather")},
                      {"description", std::string("Get the weather")},
                      {"parameters", Map{{"type", std::string("object")},
                                         {"properties", Map{{"city", Map{{"type", std::string("string")}}}}}}}}}},
    {{"type", std::string("function")},
     {"function", Map{{"name", std::string("get_time")}, {"description", std::string("Get the time")}}}},
};

const std::vector<Message> toolCallAndAnswer = {
    message("system", "You are a weather bot."),
    message("user", "Weather in Paris?"),
    {{"role", std::string("assistant")},
     {"content", std::string()},
     {"tool_calls", std::vector<std::any>{Map{{"type", std::string("function")},
                                              {"function", Map{{"name", std::string("get_weather")},
                                                               {"arguments", std::string(R"({"city": "Paris"})")}}}}}}},
    message("tool", "20 degrees"),
};

struct Conversation {
    std::string tokenizer;
    std::string shows;
    std::vector<Message> messages;
    std::optional<std::vector<ToolSpec>> tools;
    bool addGenerationPrompt;
    std::string expected;
};

const std::string qwenToolsPreamble =
    "<|im_start|>system\nYou are a weather bot.\n\n# Tools\n\nYou may call one or more functions to assist with the "
    "user query.\n\nYou are provided with function signatures within <tools></tools> XML tags:\n<tools>\n"
    R"({"function":{"description":"Get the weather","name":"get_weather","parameters":{"properties":{"city":)"
    R"({"type":"string"}},"type":"object"}},"type":"function"})"
    "\n"
    R"({"function":{"description":"Get the time","name":"get_time"},"type":"function"})"
    "\n</tools>\n\nFor each function call, return a json object with function name and arguments within "
    "<tool_call></tool_call> XML tags:\n<tool_call>\n{\"name\": <function-name>, \"arguments\": "
    "<args-json-object>}\n</tool_call><|im_end|>\n";

const std::vector<Conversation> conversations = {
    {"llama3", "system and user", systemAndUser, std::nullopt, true,
     "<|begin_of_text|><|start_header_id|>system<|end_header_id|>\n\nYou are a helpful assistant.<|eot_id|>"
     "<|start_header_id|>user<|end_header_id|>\n\nHello<|eot_id|><|start_header_id|>assistant<|end_header_id|>\n\n"},
    // The template writes the assistant's header whether asked or not.
    {"llama3", "three turns", threeTurns, std::nullopt, false,
     "<|begin_of_text|><|start_header_id|>user<|end_header_id|>\n\nHi<|eot_id|>"
     "<|start_header_id|>assistant<|end_header_id|>\n\nHello! How can I help?<|eot_id|>"
     "<|start_header_id|>user<|end_header_id|>\n\nTell me a joke.<|eot_id|>"
     "<|start_header_id|>assistant<|end_header_id|>\n\n"},
    {"qwen3", "system and user", systemAndUser, std::nullopt, true,
     "<|im_start|>system\nYou are a helpful assistant.<|im_end|>\n<|im_start|>user\nHello<|im_end|>\n"
     "<|im_start|>assistant\n"},
    {"qwen3", "three turns", threeTurns, std::nullopt, false,
     "<|im_start|>user\nHi<|im_end|>\n<|im_start|>assistant\nHello! How can I help?<|im_end|>\n"
     "<|im_start|>user\nTell me a joke.<|im_end|>\n"},
    // An answer after the last question gets an empty thinking block.
    {"qwen3", "an answer last", answered, std::nullopt, false,
     "<|im_start|>user\nHi<|im_end|>\n<|im_start|>assistant\n<think>\n\n</think>\n\nHello!<|im_end|>\n"},
    {"qwen3", "two tools and a tool call", toolCallAndAnswer, weatherTools, true,
     qwenToolsPreamble +
         "<|im_start|>user\nWeather in Paris?<|im_end|>\n<|im_start|>assistant\n<tool_call>\n"
         R"({"name": "get_weather", "arguments": {"city": "Paris"}})"
         "\n</tool_call><|im_end|>\n<|im_start|>user\n<tool_response>\n20 degrees\n</tool_response><|im_end|>\n"
         "<|im_start|>assistant\n"},
    {"gemma3", "system and user", systemAndUser, std::nullopt, true,
     "<bos><start_of_turn>user\nYou are a helpful assistant.\n\nHello<end_of_turn>\n<start_of_turn>model\n"},
    {"gemma3", "three turns", threeTurns, std::nullopt, false,
     "<bos><start_of_turn>user\nHi<end_of_turn>\n<start_of_turn>model\nHello! How can I help?<end_of_turn>\n"
     "<start_of_turn>user\nTell me a joke.<end_of_turn>\n"},
};

} // namespace

TEST(PublishedChatTemplates, RenderConversationsAsTheirTemplatesWriteThem)
{
    for (const Conversation& conversation : conversations) {
        const PreTrainedTokenizer* tokenizer = publishedTokenizer(conversation.tokenizer);
        if (!tokenizer) {
            std::cout << "The " << conversation.tokenizer << " tokenizer files are absent: skipped\n";
            continue;
        }
        const std::vector<int> ids =
            tokenizer->applyChatTemplate(conversation.messages, std::nullopt, conversation.addGenerationPrompt, false,
                                         std::nullopt, conversation.tools);
        EXPECT_EQ(ids, tokenizer->encode(conversation.expected, false))
            << conversation.tokenizer << ", " << conversation.shows << ": rendered\n"
            << tokenizer->decode(ids);
    }
}

TEST(PublishedChatTemplates, LlamaGreetsWithItsBeginningToken)
{
    const PreTrainedTokenizer* llama = publishedTokenizer("llama3");
    if (!llama)
        GTEST_SKIP() << "The llama3 tokenizer files are absent";
    const std::vector<int> ids = llama->applyChatTemplate({message("user", "Hello")});
    EXPECT_EQ(llama->decode(ids), "<|begin_of_text|><|start_header_id|>user<|end_header_id|>\n\nHello<|eot_id|>"
                                  "<|start_header_id|>assistant<|end_header_id|>\n\n");
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids.front(), 128000);
}

TEST(PublishedChatTemplates, GemmaRefusesTwoUserTurnsInARow)
{
    const PreTrainedTokenizer* gemma = publishedTokenizer("gemma3");
    if (!gemma)
        GTEST_SKIP() << "The gemma3 tokenizer files are absent";
    try {
        gemma->applyChatTemplate({message("user", "Hi"), message("user", "Anyone there?")});
        FAIL() << "rendered";
    } catch (const Jinja::TemplateException& exception) {
        EXPECT_EQ(exception.message(), "Conversation roles must alternate user/assistant/user/assistant/...");
    }
}
