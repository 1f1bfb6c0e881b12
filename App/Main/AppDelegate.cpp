#include "App/Main/AppDelegate.h"

#include "App/AppIdentity.h"
#include "App/Audio/Permissions.h"
#include "App/State/AppState.h"
#include "App/Utils/FileLogger.h"
#include "App/Views/Overlay/OverlayController.h"
#include "Platform/EventLoop/MainThread.h"
#include "Platform/Input/SyntheticKeyboard.h"
#include "Platform/Log/Log.h"
#include "Platform/Text/Format.h"

#include <stdexcept>

namespace QEL {

namespace {

constexpr const char* remoteToggleNotification = "com.tolvek.qel.toggle";

const Platform::Logger& logger()
{
    static const Platform::Logger instance(AppIdentity::bundleIdentifier, "AppState");
    return instance;
}

} // namespace

AppDelegate::AppDelegate(AppState& state) : state_(state) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    FileLogger::setup();
    FileLogger::log("App launched");
    Platform::runOnMainThread([this] { launch(); });
}

void AppDelegate::launch()
{
    FileLogger::log("Requesting microphone access...");
    Permissions::requestMicrophoneAccess([this](const std::string& message) { state_.showMicrophoneRefusal(message); });

    const bool trusted = Platform::SyntheticKeyboard::isAvailable();
    FileLogger::log(std::string("Accessibility granted: ") + Platform::booleanText(trusted));
    if (!trusted) {
        FileLogger::log("Prompting for Accessibility (one-time)...");
        if (!Platform::SyntheticKeyboard::isAvailable()) {
            const char* message = "The X server does not offer the XTEST extension, so recognised text cannot be typed "
                                  "or pasted into other applications";
            Platform::printTagged("QEL", message);
            logger().error(message);
        }
    }

    FileLogger::log("Setting up overlay...");
    overlayController_ = std::make_unique<OverlayController>(state_);
    overlayController_->setupWindow();
    overlayController_->observeRecordingState();
    FileLogger::log("Overlay created");

    GlobalHotKeyManager& hotKeys = state_.hotKeyManager();
    hotKeys.loadSavedBinding();
    // A refused binding has been logged with its reason by the manager.
    if (!hotKeys.applyBinding())
        FileLogger::log("Hotkey registered");

    listenForRemoteToggle();

    FileLogger::log("Loading STT engine with model: " + state_.selectedModel() + "...");
    state_.loadEngine([this] {
        FileLogger::log(std::string("Engine load done. isModelLoaded=") + Platform::booleanText(state_.isModelLoaded()));
        if (state_.errorMessage())
            FileLogger::log("ERROR: " + *state_.errorMessage());
    });
}

void AppDelegate::listenForRemoteToggle()
{
    try {
        remoteToggle_ = std::make_unique<Platform::DistributedNotificationObserver>(remoteToggleNotification, [this] {
            FileLogger::log("REMOTE TOGGLE received!");
            Platform::runOnMainThread([this] { state_.toggleRecording(); });
        });
    } catch (const std::runtime_error& error) {
        // Other programs cannot toggle dictation then; the hot key still can.
        FileLogger::log(std::string("Remote toggle listener not registered: ") + error.what());
        logger().error(std::string("Remote toggle listener not registered: ") + error.what());
        return;
    }
    FileLogger::log("Remote toggle listener registered");
}

void AppDelegate::applicationWillTerminate()
{
    FileLogger::log("App terminating");
    if (state_.isRecording())
        state_.stopRecording();
    state_.finishSavingSession();
    state_.hotKeyManager().setHotKey(nullptr);
}

} // namespace QEL
