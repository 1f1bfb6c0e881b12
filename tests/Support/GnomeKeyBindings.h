#pragma once

// A GNOME desktop as far as its key bindings go: the schemas given (GSettings
// XML) compiled into a folder of the test's own, which alone is searched, with
// the settings in memory at the schemas' defaults and XDG_CURRENT_DESKTOP
// naming GNOME. The environment is put back when the object goes.

#include "Support/Shell.h"
#include "Support/TestEnvironment.h"

#include <fstream>
#include <string>

namespace TestSupport {

class GnomeKeyBindings {
public:
    explicit GnomeKeyBindings(const std::string& schemasXML, std::string desktop = "ubuntu:GNOME")
        : desktop_("XDG_CURRENT_DESKTOP", std::move(desktop))
    {
        std::filesystem::create_directories(schemas());
        std::filesystem::create_directories(folder_ / "data");
        std::ofstream(schemas() / "qel-test.gschema.xml") << "<schemalist>\n" << schemasXML << "</schemalist>\n";
        runShellCommand("glib-compile-schemas " + shellQuoted(schemas().string()));
    }

    std::filesystem::path schemas() const { return folder_ / "schemas"; }

private:
    TemporaryFolder folder_;
    ScopedEnvironment desktop_;
    ScopedEnvironment schemaFolder_{"GSETTINGS_SCHEMA_DIR", schemas().string()};
    ScopedEnvironment dataFolders_{"XDG_DATA_DIRS", (folder_ / "data").string()};
    ScopedEnvironment dataHome_{"XDG_DATA_HOME", (folder_ / "data").string()};
    ScopedEnvironment backend_{"GSETTINGS_BACKEND", "memory"};
};

// A key binding schema with string-list keys: `keys` as <key> elements.
inline std::string keyBindingSchema(const std::string& id, const std::string& keys)
{
    std::string path = "/" + id + "/";
    for (char& c : path)
        if (c == '.')
            c = '/';
    return "<schema id=\"" + id + "\" path=\"" + path + "\">\n" + keys + "</schema>\n";
}

// A key holding a list of texts; `value` in GVariant's text form, "['<Alt>F4']".
inline std::string stringListKey(const std::string& name, const std::string& value)
{
    std::string escaped;
    for (char c : value)
        escaped += c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return "<key name=\"" + name + "\" type=\"as\"><default>" + escaped + "</default></key>\n";
}

} // namespace TestSupport
