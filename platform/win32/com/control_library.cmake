# vexa_add_control_library(TARGET FILE_NAME IDL idl SOURCES... RESOURCE_DEPENDS... LIBS...):
# a control's library, FILE_NAME.OCX, linked statically against the runtime. Its type
# library is compiled from the IDL by widl with the standard IDL files of Wine's
# development package, into "<folder>/<idl name>.tlb" for the resource script (which
# finds it beside it) and "<folder>/<idl name>.h" for the code (included by its folder,
# "loader/com/vexaload.h"). windres lists no headers it read, so the resource script
# depends on the type library and on RESOURCE_DEPENDS.
include_guard(GLOBAL)
enable_language(RC)
find_program(VEXA_WIDL NAMES x86_64-w64-mingw32-widl widl REQUIRED)
set(VEXA_WINE_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "The standard IDL files")
set(VEXA_WINE_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Where stdole2.tlb is")

function(vexa_add_control_library target file_name)
  cmake_parse_arguments(ARG "" "IDL" "SOURCES;RESOURCE_DEPENDS;LIBS" ${ARGN})
  get_filename_component(stem ${ARG_IDL} NAME_WE)
  set(idl ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_IDL})
  set(tlb ${CMAKE_CURRENT_BINARY_DIR}/${stem}.tlb)
  set(header ${CMAKE_CURRENT_BINARY_DIR}/${stem}.h)
  add_custom_command(OUTPUT ${tlb} ${header}
    COMMAND ${VEXA_WIDL} --win64 -I${VEXA_WINE_IDL_DIR} -L${VEXA_WINE_TLB_DIR}
      -t -o ${stem}.tlb -h -H ${stem}.h ${idl}
    DEPENDS ${idl} VERBATIM)
  add_custom_target(${target}_types DEPENDS ${tlb} ${header})

  add_library(${target} SHARED ${ARG_SOURCES})
  add_dependencies(${target} ${target}_types)
  set(resource_depends ${tlb})
  foreach(file ${ARG_RESOURCE_DEPENDS})
    list(APPEND resource_depends ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  endforeach()
  foreach(source ${ARG_SOURCES})
    if(source MATCHES "\\.rc$")
      set_source_files_properties(${source} PROPERTIES OBJECT_DEPENDS "${resource_depends}")
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} vexa_com vexa_platform)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${file_name} SUFFIX ".OCX")
endfunction()
