# Which test files run threads, and so run once more under ThreadSanitizer
# (`scripts/test --threads`, part of .ci/run; its tests carry the ctest label
# "threads"). Nothing lists them: each configuration of that build reads the
# test files and takes those that start a thread or hand work to one, either
# themselves or through the code they test. A new test of threaded code joins
# by being written.
#
# A test file runs threads when it names one of the ways below, or when one of
# the modules' headers it includes (with the headers those include in turn), or
# the source file beside such a header, does. The helpers and doubles below
# tests/ serve many tests, most of which never start their threads, so they
# count only through the test files that name the way themselves. The list
# names how threads are started and how work crosses to another thread, not
# which files do so.
#
# A test file that runs threads but cannot run under ThreadSanitizer says so
# and why in a line of its own, "// ThreadSanitizer: left out, because ...";
# the configuration lists it as left out.
set(QEL_THREAD_STARTERS
  # The standard library's threads (std::thread::hardware_concurrency only counts).
  "std::j?thread([^:]|$)"
  "std::async"
  # POSIX threads, where a test needs a stack of a chosen size.
  "pthread_create"
  # Qt's threads and the session bus connection, which Qt serves from a thread of its own.
  "QThread"
  "QDBusConnection"
  # The sound server's connection runs its own thread.
  "pa_threaded_mainloop"
  # The tree's pools, parallel loops and hand-overs.
  "WorkerPool"
  "parallelFor"
  "setComputeThreads"
  "runOnMainThread"
  "runOnWorkerThread")
list(JOIN QEL_THREAD_STARTERS "|" QEL_THREAD_STARTERS_REGEX)

# TRUE in `result` when `file` itself names one of the ways above.
function(qel_file_names_thread_starter result file)
  set(${result} FALSE PARENT_SCOPE)
  if(EXISTS ${file})
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    file(STRINGS ${file} matches REGEX "${QEL_THREAD_STARTERS_REGEX}")
    if(matches)
      set(${result} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()

# The tree's headers that `file` includes ("Folder/Name.h" from the repository
# root, or from tests/ for the test support), as absolute paths.
function(qel_included_headers result file)
  file(STRINGS ${file} lines REGEX "^#include \"[^\"]+\"")
  set(headers)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
    foreach(root ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
      if(EXISTS ${root}/${header} AND NOT IS_DIRECTORY ${root}/${header})
        list(APPEND headers ${root}/${header})
        break()
      endif()
    endforeach()
  endforeach()
  set(${result} ${headers} PARENT_SCOPE)
endfunction()

# TRUE in `result` when the header, the source beside it, or a header it
# includes (followed in turn) names one of the ways above. Answers are kept
# for the whole configuration.
function(qel_header_runs_threads result header)
  string(MAKE_C_IDENTIFIER "${header}" id)
  get_property(known GLOBAL PROPERTY QEL_RUNS_THREADS_${id} SET)
  if(known)
    get_property(answer GLOBAL PROPERTY QEL_RUNS_THREADS_${id})
    set(${result} ${answer} PARENT_SCOPE)
    return()
  endif()
  # An include cycle reads as no threads while it is being followed.
  set_property(GLOBAL PROPERTY QEL_RUNS_THREADS_${id} FALSE)
  set(answer FALSE)
  string(FIND "${header}" "${PROJECT_SOURCE_DIR}/tests/" inTests)
  if(NOT inTests EQUAL 0)
    get_filename_component(folder ${header} DIRECTORY)
    get_filename_component(stem ${header} NAME_WLE)
    foreach(file ${header} ${folder}/${stem}.cpp)
      qel_file_names_thread_starter(named ${file})
      if(named)
        set(answer TRUE)
        break()
      endif()
    endforeach()
    if(NOT answer)
      qel_included_headers(includes ${header})
      foreach(included IN LISTS includes)
        qel_header_runs_threads(threaded ${included})
        if(threaded)
          set(answer TRUE)
          break()
        endif()
      endforeach()
    endif()
  endif()
  set_property(GLOBAL PROPERTY QEL_RUNS_THREADS_${id} ${answer})
  set(${result} ${answer} PARENT_SCOPE)
endfunction()

# TRUE in `result` when the test file runs threads by the rule above.
function(qel_test_runs_threads result testFile)
  qel_file_names_thread_starter(named ${testFile})
  if(named)
    set(${result} TRUE PARENT_SCOPE)
    return()
  endif()
  qel_included_headers(includes ${testFile})
  foreach(included IN LISTS includes)
    qel_header_runs_threads(threaded ${included})
    if(threaded)
      set(${result} TRUE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${result} FALSE PARENT_SCOPE)
endfunction()

# Of the test sources in `sources`, those that run threads, with the helper
# sources of their own folder tree that they include (Name.h beside Name.cpp).
function(qel_thread_test_sources result sources)
  set(kept)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "Tests\\.cpp$")
      continue()
    endif()
    qel_test_runs_threads(threaded ${source})
    if(NOT threaded)
      continue()
    endif()
    file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${source})
    file(STRINGS ${source} leftOut REGEX "^// ThreadSanitizer: left out")
    if(leftOut)
      set_property(GLOBAL APPEND PROPERTY QEL_THREAD_TESTS_LEFT_OUT ${shown})
      continue()
    endif()
    list(APPEND kept ${source})
    set_property(GLOBAL APPEND PROPERTY QEL_THREAD_TEST_FILES ${shown})
    qel_included_headers(includes ${source})
    foreach(included IN LISTS includes)
      get_filename_component(folder ${included} DIRECTORY)
      get_filename_component(stem ${included} NAME_WLE)
      if(${folder}/${stem}.cpp IN_LIST sources)
        list(APPEND kept ${folder}/${stem}.cpp)
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES kept)
  set(${result} ${kept} PARENT_SCOPE)
endfunction()
