# vexa_use_cgi_web_server(PROGRAM): lets a native test program start the real web server of
# cgi_web_server.py with the echo script (echo_cgi.cpp), which is built with it.
include_guard(GLOBAL)

# Beside the other test support programs, where bench/post_vs_curl.sh finds it too.
add_executable(vexa_echo_cgi ${CMAKE_CURRENT_LIST_DIR}/echo_cgi.cpp)
set_target_properties(vexa_echo_cgi PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/support)
set(VEXA_CGI_WEB_SERVER ${CMAKE_CURRENT_LIST_DIR}/cgi_web_server.py CACHE INTERNAL "")

function(vexa_use_cgi_web_server program)
  target_compile_definitions(${program} PRIVATE VEXA_CGI_WEB_SERVER="${VEXA_CGI_WEB_SERVER}"
    VEXA_ECHO_CGI="$<TARGET_FILE:vexa_echo_cgi>")
  add_dependencies(${program} vexa_echo_cgi)
endfunction()
