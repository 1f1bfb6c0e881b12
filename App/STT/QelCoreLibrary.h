#pragma once

#include "QelCore/include/qel_core.h"

namespace QEL {

// The eight functions of the outside engine library, reached through one table
// so that the adapter can run on a scripted stand-in as well as the real thing.
struct QelCoreLibrary {
    const char* (*version)();
    qel_engine* (*engineNew)(const char* modelPath, const char* language);
    int32_t (*setInitialPrompt)(qel_engine* engine, const char* prompt);
    int32_t (*prewarm)(qel_engine* engine);
    char* (*transcribe)(qel_engine* engine, const float* samples, int64_t count);
    void (*stringFree)(char* text);
    const char* (*lastError)();
    void (*engineFree)(qel_engine* engine);

    // The library the program is linked against.
    static const QelCoreLibrary& linked();
};

} // namespace QEL
