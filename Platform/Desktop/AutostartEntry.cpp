#include "Platform/Desktop/AutostartEntry.h"

#include "Platform/Files/AtomicWrite.h"
#include "Platform/Paths/StandardPaths.h"

#include <string>

namespace Platform {

namespace {

// A value of the desktop-entry "string" type: a backslash and the control
// characters that would end or change the line are written as escapes.
std::string escapedString(std::string_view text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// The program as the single word of an Exec line: quoted, so that blanks and
// shell characters in the path stay part of it; the quote, backtick, dollar and
// backslash escaped inside the quotes, and a percent sign doubled so that it is
// not read as a field code.
std::string execArgument(const std::filesystem::path& program)
{
    std::string quoted = "\"";
    for (char c : program.string()) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    return quoted + "\"";
}

} // namespace

std::filesystem::path autostartEntryPath(std::string_view fileName)
{
    return configDirectory() / "autostart" / fileName;
}

void installAutostartEntry(std::string_view fileName, std::string_view applicationName,
                           const std::filesystem::path& program)
{
    const std::filesystem::path path = autostartEntryPath(fileName);
    std::filesystem::create_directories(path.parent_path());
    const std::string entry = "[Desktop Entry]\nType=Application\nName=" + escapedString(applicationName) +
                              "\nExec=" + escapedString(execArgument(program)) + "\n";
    writeFileAtomically(path, entry);
}

void removeAutostartEntry(std::string_view fileName)
{
    std::filesystem::remove(autostartEntryPath(fileName));
}

} // namespace Platform
