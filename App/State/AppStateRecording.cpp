#include "App/State/AppState.h"

#include "App/Utils/FileLogger.h"

namespace QEL {

void AppState::toggleRecording()
{
    FileLogger::log(std::string("toggleRecording called. isRecording=") + (isRecording_ ? "true" : "false"));
    if (isRecording_)
        stopRecording();
    else
        startRecording();
}

void AppState::startRecording()
{
    FileLogger::log(std::string("startRecording called. isModelLoaded=") + (isModelLoaded_ ? "true" : "false"));
    if (!isModelLoaded_) {
        FileLogger::log("Model not loaded, can't record");
        publish(errorMessage_, "Model still loading, please wait...", &AppState::errorMessageChanged);
        return;
    }
    FileLogger::log("FAIL: Engine not initialized (capture=false, pipeline=false)");
    publish(errorMessage_, "Engine not initialized", &AppState::errorMessageChanged);
}

void AppState::stopRecording()
{
    logger_.info("Stopping recording...");
    publish(isRecording_, false, &AppState::isRecordingChanged);
    publish(statusMessage_, readyStatus(), &AppState::statusMessageChanged);
}

} // namespace QEL
