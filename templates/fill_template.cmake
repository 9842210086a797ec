# cmake -DEXE=FILE -DIN=FILE -DOUT=FILE -P fill_template.cmake
# Writes the page template as the wizard reads it: CR LF lines, and the note for browsers
# without ActiveX stating the stand-alone program's real size in KBytes, rounded.

file(SIZE "${EXE}" bytes)
math(EXPR VEXA_STAND_ALONE_KBYTES "(${bytes} + 512) / 1024")
configure_file("${IN}" "${OUT}" @ONLY NEWLINE_STYLE CRLF)
# configure_file keeps an unchanged file's time; the build wants the output newer than its inputs.
file(TOUCH "${OUT}")
