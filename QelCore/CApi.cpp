// The library's C interface. Every entry point catches everything: no
// exception may cross into the caller's C code.
#include "qel_core.h"

#include "Platform/Text/UnicodeScalars.h"
#include "QelCore/Engine.h"
#include "QelCore/LastError.h"

#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>

struct qel_engine {
    QelCore::Engine engine;
};

namespace {

template <typename Result, typename Body>
Result guarded(Result onFailure, Body&& body)
{
    try {
        return body();
    } catch (const std::exception& error) {
        QelCore::setLastError(error.what());
    } catch (...) {
        QelCore::setLastError("Unknown internal error");
    }
    return onFailure;
}

} // namespace

extern "C" {

const char* qel_version(void) { return "0.1.0"; }

qel_engine* qel_engine_new(const char* model_path, const char* language)
{
    return guarded<qel_engine*>(nullptr, [&]() -> qel_engine* {
        if (!model_path || !language) {
            QelCore::setLastError("Model path and language are required");
            return nullptr;
        }
        return new qel_engine{QelCore::Engine(model_path, language)};
    });
}

int32_t qel_engine_set_initial_prompt(qel_engine* engine, const char* prompt)
{
    if (!engine || !prompt) {
        QelCore::setLastError("Engine and prompt are required");
        return -1;
    }
    return guarded<int32_t>(-1, [&] {
        engine->engine.setInitialPrompt(prompt);
        return 0;
    });
}

int32_t qel_engine_prewarm(qel_engine* engine)
{
    if (!engine) {
        QelCore::setLastError("Engine is required");
        return -1;
    }
    return guarded<int32_t>(-1, [&] {
        engine->engine.prewarm();
        return 0;
    });
}

char* qel_engine_transcribe(qel_engine* engine, const float* samples, int64_t count)
{
    if (!engine || count < 0 || (count > 0 && !samples)) {
        QelCore::setLastError("Engine and a sample array are required");
        return nullptr;
    }
    return guarded<char*>(nullptr, [&]() -> char* {
        // The text is the model's byte pieces joined: a piece may hold a NUL,
        // which would cut the C string short, or half a character.
        std::string text = Platform::validUTF8(engine->engine.transcribe(samples, static_cast<long>(count)));
        std::erase(text, '\0');
        char* copy = static_cast<char*>(std::malloc(text.size() + 1));
        if (!copy)
            throw std::bad_alloc();
        std::memcpy(copy, text.c_str(), text.size() + 1);
        return copy;
    });
}

void qel_string_free(char* text) { std::free(text); }

const char* qel_last_error(void) { return QelCore::lastError(); }

void qel_engine_free(qel_engine* engine) { delete engine; }

} // extern "C"
