# Libraries for the version reader: one whose first translation names its string table,
# one that falls back to US English, and one without version information. Natively the
# mingw-w64 tools build them; the Windows build uses its own toolchain.
if(WIN32)
  enable_language(RC)
else()
  find_program(VEXA_MINGW_WINDRES x86_64-w64-mingw32-windres REQUIRED)
  find_program(VEXA_MINGW_CXX NAMES x86_64-w64-mingw32-g++ x86_64-w64-mingw32-g++-posix REQUIRED)
endif()

# vexa_add_version_fixture(NAME [RC]): VEXA_<NAME>_FIXTURE names the library in platform_tests.
function(vexa_add_version_fixture name)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/version_fixture.cpp)
  set(resources ${ARGN})
  if(WIN32)
    add_library(vexa_${name} MODULE ${source} ${resources})
    target_link_options(vexa_${name} PRIVATE -static-libgcc -static-libstdc++)
    set(library $<TARGET_FILE:vexa_${name}>)
  else()
    set(library ${CMAKE_CURRENT_BINARY_DIR}/${name}.dll)
    set(objects)
    if(resources)
      set(objects ${CMAKE_CURRENT_BINARY_DIR}/${name}.res.o)
      add_custom_command(OUTPUT ${objects}
        COMMAND ${VEXA_MINGW_WINDRES} -O coff -o ${objects} ${CMAKE_CURRENT_SOURCE_DIR}/${resources}
        DEPENDS ${resources} VERBATIM)
    endif()
    add_custom_command(OUTPUT ${library}
      COMMAND ${VEXA_MINGW_CXX} -shared -s -static-libgcc -o ${library} ${source} ${objects}
      DEPENDS ${source} ${objects} VERBATIM)
    add_custom_target(vexa_${name} DEPENDS ${library})
  endif()
  add_dependencies(platform_tests vexa_${name})
  string(TOUPPER ${name} upper)
  target_compile_definitions(platform_tests PRIVATE VEXA_${upper}_FIXTURE="${library}")
endfunction()

vexa_add_version_fixture(version_translated version_translated.rc)
vexa_add_version_fixture(version_fallback version_fallback.rc)
vexa_add_version_fixture(version_none)
