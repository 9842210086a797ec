# GoogleTest: the system's build natively; built from source with the cross toolchain for Windows.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# vexa_add_test(NAME SOURCES... LIBS ...): one test program per folder of tests.
# Natively every test case is its own CTest test; under Wine a program start costs
# most of a second, so there each program is one CTest test. On POSIX systems every
# program runs with a fresh prefix of its own (tests/support/fresh_prefix.cpp).
function(vexa_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE VEXA_SHARED_DIR="${VEXA_SHARED_DIR}")
  if(NOT WIN32)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/fresh_prefix.cpp)
  endif()
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
