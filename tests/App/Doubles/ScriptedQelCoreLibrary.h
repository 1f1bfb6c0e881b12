#pragma once

// A scripted stand-in for the outside engine library: the eight functions read
// their answers from the active script and record how they were called.

#include "App/STT/QelCoreLibrary.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct ScriptedQelCore {
    // Answers.
    const char* version = "scripted-1";
    bool engineNewFails = false;
    int32_t promptStatus = 0;
    int32_t prewarmStatus = 0;
    std::optional<std::string> transcriptText = "hello";
    const char* lastError = nullptr;
    std::function<void()> duringTranscribe;

    // Records.
    std::mutex mutex;
    std::vector<std::string> modelPaths;
    std::vector<std::string> languages;
    std::vector<std::string> prompts;
    std::vector<int64_t> sampleCounts;
    int prewarmCalls = 0;
    int textsReturned = 0;
    int textsFreed = 0;
    int enginesFreed = 0;

    // The script the library functions use; set by the test that owns it.
    static inline ScriptedQelCore* active = nullptr;

    ScriptedQelCore() { active = this; }
    ~ScriptedQelCore() { active = nullptr; }

    static const QEL::QelCoreLibrary& library()
    {
        static int engineToken = 0;
        static const QEL::QelCoreLibrary table{
            [] { return active->version; },
            [](const char* path, const char* language) -> qel_engine* {
                std::lock_guard lock(active->mutex);
                active->modelPaths.push_back(path);
                active->languages.push_back(language);
                return active->engineNewFails ? nullptr : reinterpret_cast<qel_engine*>(&engineToken);
            },
            [](qel_engine*, const char* prompt) {
                std::lock_guard lock(active->mutex);
                active->prompts.push_back(prompt);
                return active->promptStatus;
            },
            [](qel_engine*) {
                std::lock_guard lock(active->mutex);
                ++active->prewarmCalls;
                return active->prewarmStatus;
            },
            [](qel_engine*, const float*, int64_t count) -> char* {
                if (active->duringTranscribe)
                    active->duringTranscribe();
                std::lock_guard lock(active->mutex);
                active->sampleCounts.push_back(count);
                if (!active->transcriptText)
                    return nullptr;
                ++active->textsReturned;
                return strdup(active->transcriptText->c_str());
            },
            [](char* text) {
                std::lock_guard lock(active->mutex);
                ++active->textsFreed;
                std::free(text);
            },
            [] { return active->lastError; },
            [](qel_engine*) {
                std::lock_guard lock(active->mutex);
                ++active->enginesFreed;
            },
        };
        return table;
    }
};
