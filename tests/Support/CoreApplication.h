#pragma once

// For test programs whose main starts no Qt application: one QCoreApplication,
// so that calls queued to the main thread run while a test waits. It stays
// until the process ends.

#include <QCoreApplication>

namespace TestSupport {

inline void ensureCoreApplication()
{
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

} // namespace TestSupport
