#pragma once

// How the application names itself, and the folder and file names under which
// it keeps its data. Users' files live at these places: changing a name here
// moves (and so loses) their settings, models, history or log.
namespace QEL::AppIdentity {

inline constexpr const char* name = "QEL";

// The bundle-style identifier; also the subsystem of the application's log lines.
inline constexpr const char* bundleIdentifier = "com.tolvek.qel";

// The settings file: <configuration folder>/tolvek/QEL.json.
inline constexpr const char* settingsFolderName = "tolvek";
inline constexpr const char* settingsFileName = "QEL.json";

// Folders below the application-support folder.
inline constexpr const char* modelsFolder = "com.tolvek.qel/models";
inline constexpr const char* historyFolder = "QEL/Transcripts";

inline constexpr const char* debugLogFileName = "qel_debug.log";

// The desktop entry that starts the application at login, in the user's
// autostart folder.
inline constexpr const char* autostartEntryFileName = "qel.desktop";

} // namespace QEL::AppIdentity
