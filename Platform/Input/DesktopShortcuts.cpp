#include "Platform/Input/DesktopShortcuts.h"

#include "Platform/Input/CarbonModifiers.h"
#include "Platform/Input/VirtualKeyCodes.h"
#include "Platform/Paths/StandardPaths.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gio/gio.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace Platform {

namespace {

// The schemas whose keys are key bindings (one accelerator, or a list of
// them), in the order they are read. Keys of other types are skipped.
// Their names and those below are GNOME's, not ours.
constexpr const char* bindingSchemas[] = {
    "org.gnome.desktop.wm.keybindings",
    "org.gnome.mutter.keybindings",
    "org.gnome.mutter.wayland.keybindings",
    "org.gnome.shell.keybindings",
    "org.gnome.settings-daemon.plugins.media-keys",
};

// The user's own commands: the media-keys schema lists their settings paths,
// each holding a "binding".
constexpr const char* mediaKeysSchema = "org.gnome.settings-daemon.plugins.media-keys";
constexpr const char* customBindingsKey = "custom-keybindings";
constexpr const char* customBindingSchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";

struct Unref {
    void operator()(GSettingsSchemaSource* source) const { g_settings_schema_source_unref(source); }
    void operator()(GSettingsSchema* schema) const { g_settings_schema_unref(schema); }
    void operator()(GSettingsSchemaKey* key) const { g_settings_schema_key_unref(key); }
    void operator()(GSettings* settings) const { g_object_unref(settings); }
    void operator()(gchar** strings) const { g_strfreev(strings); }
    void operator()(gchar* text) const { g_free(text); }
};
template <class T>
using Owned = std::unique_ptr<T, Unref>;

bool isGnome()
{
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    if (!desktops)
        return false;
    const std::string_view list(desktops);
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        if (g_ascii_strcasecmp(std::string(list.substr(start, end - start)).c_str(), "GNOME") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// The schemas installed for this environment, looked up as GLib does (the
// folders of GSETTINGS_SCHEMA_DIR first, then the user's data folder, then
// those of XDG_DATA_DIRS), but afresh on every call: GLib's own default source
// is fixed at its first use.
Owned<GSettingsSchemaSource> schemaSource()
{
    std::vector<std::string> folders; // most important first
    auto addEach = [&folders](const char* list, const std::string& suffix) {
        std::string_view rest(list ? list : "");
        while (!rest.empty()) {
            const std::size_t end = std::min(rest.find(':'), rest.size());
            if (end > 0)
                folders.push_back(std::string(rest.substr(0, end)) + suffix);
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
    };
    addEach(std::getenv("GSETTINGS_SCHEMA_DIR"), "");
    folders.push_back((applicationSupportDirectory() / "glib-2.0/schemas").string());
    const char* dataFolders = std::getenv("XDG_DATA_DIRS");
    addEach(dataFolders && *dataFolders ? dataFolders : "/usr/local/share:/usr/share", "/glib-2.0/schemas");

    GSettingsSchemaSource* source = nullptr;
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        if (!std::filesystem::exists(*folder + "/gschemas.compiled"))
            continue;
        GError* error = nullptr;
        if (GSettingsSchemaSource* next =
                g_settings_schema_source_new_from_directory(folder->c_str(), source, TRUE, &error)) {
            if (source)
                g_settings_schema_source_unref(source);
            source = next;
        } else {
            g_clear_error(&error);
        }
    }
    return Owned<GSettingsSchemaSource>(source);
}

void addAccelerator(std::vector<DesktopShortcut>& shortcuts, std::string_view accelerator)
{
    if (const std::optional<DesktopShortcut> shortcut = desktopShortcutOfAccelerator(accelerator))
        shortcuts.push_back(*shortcut);
}

// Every accelerator that the settings of `schema` at `path` (none: the
// schema's own path) hold, key by key in the order of their names.
void addBindings(std::vector<DesktopShortcut>& shortcuts, GSettingsSchema* schema, const char* path)
{
    const Owned<GSettings> settings(g_settings_new_full(schema, nullptr, path));
    const Owned<gchar*> keyList(g_settings_schema_list_keys(schema));
    std::vector<const gchar*> keys(keyList.get(), keyList.get() + g_strv_length(keyList.get()));
    std::ranges::sort(keys, [](const gchar* a, const gchar* b) { return std::string_view(a) < b; });
    for (const gchar* key : keys) {
        if (g_str_equal(key, customBindingsKey))
            continue;
        const Owned<GSettingsSchemaKey> schemaKey(g_settings_schema_get_key(schema, key));
        const GVariantType* type = g_settings_schema_key_get_value_type(schemaKey.get());
        if (g_variant_type_equal(type, G_VARIANT_TYPE_STRING_ARRAY)) {
            const Owned<gchar*> values(g_settings_get_strv(settings.get(), key));
            for (gchar** value = values.get(); *value; ++value)
                addAccelerator(shortcuts, *value);
        } else if (g_variant_type_equal(type, G_VARIANT_TYPE_STRING)) {
            const Owned<gchar> value(g_settings_get_string(settings.get(), key));
            addAccelerator(shortcuts, value.get());
        }
    }
}

void addCustomBindings(std::vector<DesktopShortcut>& shortcuts, GSettingsSchemaSource* source)
{
    const Owned<GSettingsSchema> media(g_settings_schema_source_lookup(source, mediaKeysSchema, TRUE));
    const Owned<GSettingsSchema> custom(g_settings_schema_source_lookup(source, customBindingSchema, TRUE));
    if (!media || !custom || !g_settings_schema_has_key(media.get(), customBindingsKey))
        return;
    const Owned<GSettings> settings(g_settings_new_full(media.get(), nullptr, nullptr));
    const Owned<gchar*> paths(g_settings_get_strv(settings.get(), customBindingsKey));
    for (gchar** path = paths.get(); *path; ++path) {
        // GSettings refuses (and aborts on) a path that is not "/…/".
        if (!g_str_has_prefix(*path, "/") || !g_str_has_suffix(*path, "/") || g_strstr_len(*path, -1, "//"))
            continue;
        addBindings(shortcuts, custom.get(), *path);
    }
}

} // namespace

std::optional<DesktopShortcut> desktopShortcutOfAccelerator(std::string_view accelerator)
{
    static constexpr struct {
        std::string_view name;
        std::uint32_t modifier; // 0: no counterpart
    } modifierNames[] = {
        {"shift", CarbonModifier::shift},     {"control", CarbonModifier::control}, {"ctrl", CarbonModifier::control},
        {"primary", CarbonModifier::control}, {"alt", CarbonModifier::option},      {"mod1", CarbonModifier::option},
        {"super", CarbonModifier::command},   {"mod4", CarbonModifier::command},
    };
    std::uint32_t modifiers = 0;
    std::string_view rest = accelerator;
    while (rest.starts_with('<')) {
        const std::size_t close = rest.find('>');
        if (close == std::string_view::npos)
            return std::nullopt;
        const std::string name(rest.substr(1, close - 1));
        std::uint32_t modifier = 0;
        for (const auto& candidate : modifierNames)
            if (g_ascii_strcasecmp(name.c_str(), std::string(candidate.name).c_str()) == 0)
                modifier = candidate.modifier;
        if (modifier == 0)
            return std::nullopt;
        modifiers |= modifier;
        rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest == "disabled")
        return std::nullopt;
    KeySym keysym = XStringToKeysym(std::string(rest).c_str());
    if (keysym == NoSymbol)
        return std::nullopt;
    // Letters name their key in either case.
    if (keysym >= XK_A && keysym <= XK_Z)
        keysym += XK_a - XK_A;
    const std::optional<std::uint32_t> code = virtualKeyCodeForKeysym(static_cast<xcb_keysym_t>(keysym));
    if (!code)
        return std::nullopt;
    return DesktopShortcut{*code, modifiers};
}

std::vector<DesktopShortcut> desktopShortcuts()
{
    std::vector<DesktopShortcut> shortcuts;
    if (!isGnome())
        return shortcuts;
    const Owned<GSettingsSchemaSource> source = schemaSource();
    if (!source)
        return shortcuts;
    for (const char* id : bindingSchemas) {
        const Owned<GSettingsSchema> schema(g_settings_schema_source_lookup(source.get(), id, TRUE));
        // A relocatable schema of that name would have no settings of its own.
        if (schema && g_settings_schema_get_path(schema.get()))
            addBindings(shortcuts, schema.get(), nullptr);
    }
    addCustomBindings(shortcuts, source.get());
    return shortcuts;
}

} // namespace Platform
