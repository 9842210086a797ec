# vexa_use_fault_http_server(PROGRAM): lets a test program reach the fault-injecting HTTP
# server (fault_http_server.py). A native program starts its own. Under Wine one server,
# started and stopped by a CTest fixture, serves every program that asks for it, and tells
# them its ports through a file.
include_guard(GLOBAL)

# Cached, so that every folder sees them although the guard reads this file only once.
set(VEXA_FAULT_HTTP_SERVER ${CMAKE_CURRENT_LIST_DIR}/fault_http_server.py CACHE INTERNAL "")
set(VEXA_FAULT_HTTP_PORT_FILE ${CMAKE_BINARY_DIR}/fault_http_server.port CACHE INTERNAL "")

function(vexa_use_fault_http_server program)
  if(NOT CMAKE_CROSSCOMPILING)
    target_compile_definitions(${program} PRIVATE VEXA_FAULT_HTTP_SERVER="${VEXA_FAULT_HTTP_SERVER}")
    return()
  endif()
  get_property(fixture_made GLOBAL PROPERTY VEXA_FAULT_HTTP_FIXTURE)
  if(NOT fixture_made)
    add_test(NAME fault_http_server_start COMMAND python3 ${VEXA_FAULT_HTTP_SERVER} --background ${VEXA_FAULT_HTTP_PORT_FILE})
    add_test(NAME fault_http_server_stop COMMAND python3 ${VEXA_FAULT_HTTP_SERVER} --stop ${VEXA_FAULT_HTTP_PORT_FILE})
    set_tests_properties(fault_http_server_start PROPERTIES FIXTURES_SETUP fault_http_server)
    set_tests_properties(fault_http_server_stop PROPERTIES FIXTURES_CLEANUP fault_http_server)
    set_property(GLOBAL PROPERTY VEXA_FAULT_HTTP_FIXTURE ON)
  endif()
  set_tests_properties(${program} PROPERTIES FIXTURES_REQUIRED fault_http_server)
  target_compile_definitions(${program} PRIVATE VEXA_FAULT_HTTP_PORT_FILE="${VEXA_FAULT_HTTP_PORT_FILE}")
endfunction()
