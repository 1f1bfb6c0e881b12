#pragma once

#include <string>
#include <string_view>

namespace Platform {

// Stand-in for the system's unified log: each message becomes one syslog line
// tagged with the subsystem and category it was written under.
class Logger {
public:
    enum class Type { debug, info, notice, error, fault };

    Logger(std::string subsystem, std::string category);

    void log(Type type, std::string_view message) const;
    void debug(std::string_view message) const { log(Type::debug, message); }
    void info(std::string_view message) const { log(Type::info, message); }
    void notice(std::string_view message) const { log(Type::notice, message); }
    void error(std::string_view message) const { log(Type::error, message); }

    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

private:
    std::string subsystem_;
    std::string category_;
};

// Writes the message and a line feed to standard output as one write.
void printLine(std::string_view message);
// Writes "[<tag>] " + message + a line feed to standard output as one write.
void printTagged(std::string_view tag, std::string_view message);

} // namespace Platform
