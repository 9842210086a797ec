# cmake -DWINDOWS=DIR -DSHARE=DIR -P copy_windows_binaries.cmake
# Copies the Windows programs that ship beside the page wizard from the Windows build into
# the share directory, under the names the wizard looks for. Runs at every build: a copy
# that would change nothing leaves the file and its time alone, so nothing after it is
# made again. A missing program fails the build, saying how to make it.

set(programs
  "loader/com/VEXALOAD.OCX=VexaLoad.ocx"
  "loader/win32/VexaStandAloneWebProg.exe=VexaStandAloneWebProg.exe"
  "installer/win32/VexaInstall.exe=VexaInstall.exe"
  "installer/uninstall/Uninstall.EXE=Uninstall.EXE")

set(missing "")
foreach(program ${programs})
  string(REPLACE "=" ";" parts "${program}")
  list(GET parts 0 built)
  if(NOT EXISTS "${WINDOWS}/${built}")
    string(APPEND missing "\n  ${WINDOWS}/${built}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "The share directory needs the Windows build's programs, which are missing:${missing}\n"
                      "Build them first: make (from the top of the source tree), or\n"
                      "  cmake --preset windows && cmake --build build/windows --target vexaload vexa_stand_alone_web_prog vexa_install vexa_uninstall\n"
                      "(VEXA_WINDOWS_BINARIES names the Windows build directory).")
endif()

file(MAKE_DIRECTORY "${SHARE}")
foreach(program ${programs})
  string(REPLACE "=" ";" parts "${program}")
  list(GET parts 0 built)
  list(GET parts 1 shipped)
  file(COPY_FILE "${WINDOWS}/${built}" "${SHARE}/${shipped}" ONLY_IF_DIFFERENT)
endforeach()
