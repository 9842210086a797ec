# cmake -DVEXA=PROGRAM -DOCX=FILE -DINF_IN=FILE -DWORK=DIR -DCAB=FILE -P make_loader_cab.cmake
# Makes the loader's code-download cabinet: the control with the INF file that tells a
# browser to install and register it. The INF names the control's file version, read from
# the control itself as the page wizard reads it for the page's code base, so the two agree.

set(ENV{VEXA_PREFIX} "${WORK}/prefix")
execute_process(COMMAND "${VEXA}" call VEXADNLD.VexaDnldCtrl.1 GetFileVersion "${OCX}"
                OUTPUT_VARIABLE VEXA_LOADER_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_VARIABLE messages RESULT_VARIABLE failed)
if(failed OR NOT VEXA_LOADER_VERSION MATCHES "^[0-9]+,[0-9]+,[0-9]+,[0-9]+$")
  message(FATAL_ERROR "Cannot read the file version of ${OCX}: \"${VEXA_LOADER_VERSION}\"\n${messages}")
endif()

set(inf "${WORK}/VexaLoad.inf")
configure_file("${INF_IN}" "${inf}" @ONLY NEWLINE_STYLE CRLF)
execute_process(COMMAND "${VEXA}" cab make "${CAB}" "${inf}=VexaLoad.inf" "${OCX}=VexaLoad.ocx"
                OUTPUT_QUIET ERROR_VARIABLE messages RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "Cannot make ${CAB}:\n${messages}")
endif()
