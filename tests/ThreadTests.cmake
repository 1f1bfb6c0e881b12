# The test files whose tests run threads: they start threads themselves, or
# call code that hands work to other threads (pools, workers, the main thread,
# capture). Besides the main suite they run under ThreadSanitizer, in a build
# of their own that compiles only these files and what they link
# (`scripts/test --threads`, part of .ci/run; its tests carry the ctest label
# "threads"). A new file whose tests run threads joins by its path below tests/
# here. A path that names no file fails the configuration, so a moved file
# cannot drop out unnoticed.
set(QEL_THREAD_TEST_FILES
  App/Audio/AudioCaptureManagerTests.cpp
  App/Audio/AudioDeviceManagerTests.cpp
  App/Audio/StreamingPipelineTests.cpp
  App/Insertion/DesktopCommandEffectsTests.cpp
  App/Insertion/KeystrokeInserterTests.cpp
  App/Insertion/PasteInserterTests.cpp
  App/STT/ModelFileCacheTests.cpp
  App/State/AppStateRecordingTests.cpp
  App/State/AppStateTests.cpp
  App/Utils/FileLoggerTests.cpp
  Platform/Audio/RecordingStreamTests.cpp
  Platform/Clipboard/ClipboardLoanTests.cpp
  Platform/Clipboard/ClipboardTests.cpp
  Platform/Concurrency/MainThreadTests.cpp
  Platform/Concurrency/ParallelForTests.cpp
  Platform/CoreML/Kinds/WhisperModelKindsTests.cpp
  Platform/CoreML/MLModelTests.cpp
  Platform/Input/SyntheticKeyboardTests.cpp
  Platform/ML/Ops/FullAttentionTests.cpp
  Platform/Notifications/DistributedNotificationObserverTests.cpp
  Jinja/Builtins/GlobalsTests.cpp
  Jinja/Runtime/EnvironmentTests.cpp
  Jinja/TemplateDepthTests.cpp
  Jinja/TemplateThreadTests.cpp
  Platform/Text/RegexTests.cpp
  Platform/UserDefaults/UserDefaultsTests.cpp
  QelCore/CApiTests.cpp
  QelCore/Ggml/MalformedModelTests.cpp
  RadozodEri/Core/TranscriptionResultTests.cpp
  RuntimeCore/Logging/LoggingTests.cpp
  RuntimeCore/PropertyLockTests.cpp)

foreach(file IN LISTS QEL_THREAD_TEST_FILES)
  if(NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/${file})
    message(FATAL_ERROR "tests/ThreadTests.cmake lists tests/${file}, which does not exist")
  endif()
endforeach()
