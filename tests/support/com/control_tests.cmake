# vexa_add_control_test(NAME LIBRARY_TARGET SOURCES... LIBS...): a test program of a
# control's library under Wine, with the shared COM test code; VEXA_OCX names the library.
include_guard(GLOBAL)

function(vexa_add_control_test name library)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(support ${PROJECT_SOURCE_DIR}/tests/support/com)
  vexa_add_test(${name}
    SOURCES ${ARG_SOURCES} ${support}/control_library.cpp ${support}/control_calls.cpp
      ${support}/type_library_members.cpp ${support}/registration_checks.cpp
    LIBS ${ARG_LIBS} vexa_com vexa_platform ole32 oleaut32 uuid)
  # The library's generated header, "cabinet/com/vexacb.h", for its ids.
  target_include_directories(${name} PRIVATE ${PROJECT_BINARY_DIR})
  target_compile_definitions(${name} PRIVATE VEXA_OCX="$<TARGET_FILE:${library}>")
  add_dependencies(${name} ${library})
endfunction()
