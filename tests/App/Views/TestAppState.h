#pragma once

// An application state of a test's own, over settings, a history and a debug
// log in a temporary folder, for views to show and call.

#include "App/Models/TranscriptHistoryStore.h"
#include "App/State/AppState.h"
#include "App/Utils/FileLogger.h"
#include "Support/TestEnvironment.h"

#include <memory>
#include <vector>

struct TestAppState {
    // The history holds `saved` from the start; engines load through `library`.
    explicit TestAppState(const std::vector<QEL::SavedTranscript>& saved = {},
                          const QEL::QelCoreLibrary& library = QEL::QelCoreLibrary::linked())
    {
        QEL::FileLogger::setLogPathForTesting(folder / "debug.log");
        for (const QEL::SavedTranscript& entry : saved)
            history.save(entry);
        state = QEL::AppState::create(defaults, history, library);
    }
    ~TestAppState() { QEL::FileLogger::setLogPathForTesting({}); }

    QEL::AppState& operator*() const { return *state; }
    QEL::AppState* operator->() const { return state.get(); }

    TestSupport::TemporaryFolder folder;
    TestSupport::ScopedEnvironment dataHome{"XDG_DATA_HOME", folder.path().string()};
    TestSupport::ScopedEnvironment configHome{"XDG_CONFIG_HOME", folder.path().string()};
    Platform::UserDefaults defaults{folder / "QEL.json"};
    QEL::TranscriptHistoryStore history{folder / "Transcripts"};
    std::shared_ptr<QEL::AppState> state;
};
