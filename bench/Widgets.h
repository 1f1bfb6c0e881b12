#pragma once

// Widgets need a QApplication, which must be the process's first Qt
// application; benchmarks of windows make one, drawing offscreen.

#include <QApplication>

namespace QelBench {

// False when another benchmark started a plainer application first.
inline bool widgetsCanBeShown()
{
    static int argc = 1;
    static char name[] = "qel-bench";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace QelBench
