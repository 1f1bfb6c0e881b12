#pragma once

// How the application names itself, and the folder and file names under which
// it keeps its data. Users' files live at these places: changing a name here
// moves (and so loses) their settings, models, history or log.
namespace QEL::AppIdentity {

// The bundle-style identifier; also the subsystem of the application's log lines.
inline constexpr const char* bundleIdentifier = "com.tolvek.qel";

// Folders below the application-support folder.
inline constexpr const char* historyFolder = "QEL/Transcripts";

} // namespace QEL::AppIdentity
