# One static library per subsystem folder. Sources are found by pattern so that adding a
# file to a subsystem needs no edit of the build; a folder without sources yet becomes an
# interface library so that dependents can already name it.
function(kestrun_add_library name)
  cmake_parse_arguments(ARG "" "" "EXCLUDE;DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  foreach(excluded ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${excluded}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/source)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/source)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# GoogleTest's headers are most of what a test file compiles: they are precompiled once for every
# test executable. A build through a compiler launcher (ccache) goes without, since the cache does
# not take files compiled against a precompiled header unless told to.
function(kestrun_use_test_headers_precompiled target)
  if(CMAKE_CXX_COMPILER_LAUNCHER)
    return()
  endif()
  if(NOT TARGET kestrun_test_headers)
    add_library(kestrun_test_headers STATIC ${PROJECT_SOURCE_DIR}/tests/support/TestHeaders.cpp)
    target_link_libraries(kestrun_test_headers PRIVATE GTest::gtest GTest::gmock)
    target_precompile_headers(kestrun_test_headers PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
  endif()
  target_precompile_headers(${target} REUSE_FROM kestrun_test_headers)
endfunction()

# A test executable per tests/ subfolder, discovered by CTest when the tests run.
function(kestrun_add_test_folder name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  kestrun_use_test_headers_precompiled(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                       PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy;ALSOFT_DRIVERS=null")
endfunction()
