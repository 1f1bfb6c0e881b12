# qel_add_module(NAME [SHARED] [PUBLIC deps...] [PRIVATE deps...])
# One library per module, built from every source file below the module's folder.
# Headers are included from the repository root: #include "Platform/Log/Log.h".
function(qel_add_module name)
  cmake_parse_arguments(ARG "SHARED" "" "PUBLIC;PRIVATE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/${name}/*.cpp ${PROJECT_SOURCE_DIR}/${name}/*.c)
  if(NOT sources)
    # Headers only so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_PUBLIC})
    return()
  endif()
  if(ARG_SHARED)
    add_library(${name} SHARED ${sources})
  else()
    add_library(${name} STATIC ${sources})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()

# One test executable per module from the .cpp files directly in tests/<Module>/,
# plus any extra definitions in tests/<Module>/CMakeLists.txt (tools, scripted tests).
function(qel_add_module_tests name)
  set(dir ${PROJECT_SOURCE_DIR}/tests/${name})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(sources)
    add_executable(${name}Tests ${sources})
    target_link_libraries(${name}Tests PRIVATE ${name} GTest::gtest GTest::gtest_main GTest::gmock)
    target_include_directories(${name}Tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    gtest_discover_tests(${name}Tests
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QEL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  endif()
  if(EXISTS ${dir}/CMakeLists.txt)
    add_subdirectory(${dir} ${CMAKE_BINARY_DIR}/tests/${name})
  endif()
endfunction()
