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
  App/FileLoggerTests.cpp
  App/Insertion/DesktopCommandEffectsTests.cpp
  App/Insertion/KeystrokeInserterTests.cpp
  App/Insertion/PasteInserterTests.cpp
  App/ModelFileCacheTests.cpp
  App/State/AppStateTests.cpp
  App/StreamingPipelineTests.cpp
  Platform/Audio/RecordingStreamTests.cpp
  Platform/Clipboard/ClipboardLoanTests.cpp
  Platform/Concurrency/MainThreadTests.cpp
  Platform/FullAttentionTests.cpp
  Platform/Input/SyntheticKeyboardTests.cpp
  Platform/MLModelTests.cpp
  Platform/Notifications/DistributedNotificationObserverTests.cpp
  Platform/ParallelForTests.cpp
  Platform/RegexTests.cpp
  Platform/UserDefaultsTests.cpp
  Platform/WhisperModelKindsTests.cpp
  QelCore/CApiTests.cpp
  QelCore/MalformedModelTests.cpp
  RadozodEri/TranscriptionResultTests.cpp
  RuntimeCore/LocksTests.cpp
  RuntimeCore/LoggingTests.cpp)

foreach(file IN LISTS QEL_THREAD_TEST_FILES)
  if(NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/${file})
    message(FATAL_ERROR "tests/ThreadTests.cmake lists tests/${file}, which does not exist")
  endif()
endforeach()
