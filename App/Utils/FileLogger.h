#pragma once

#include <filesystem>
#include <string_view>

namespace QEL {

// The application's own trace of the dictation road: a plain text file, emptied
// at every launch, one "[<UTC time>] <message>" line per event.
//
// The file lives in $XDG_RUNTIME_DIR/qel_debug.log, else /tmp/qel_debug.log. It is
// private to the user (mode 0600), and a symbolic or hard link, or a file of
// another user planted at the path, is never written through: the log then stays
// empty and the application works on. Logging never reports an error to its caller.
class FileLogger {
public:
    FileLogger() = delete;

    // Empties the log and writes its first line. Called once at launch.
    static void setup();

    // Appends one line; callable from any thread, lines are never interleaved. A
    // deleted log is recreated by the next line, and a line cut short by a full
    // disk is ended before the next one starts.
    static void log(std::string_view message);

    static std::filesystem::path logPath();

    // For tests: write to `path` instead; an empty path restores the standard place.
    static void setLogPathForTesting(std::filesystem::path path);
};

} // namespace QEL
