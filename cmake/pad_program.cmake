# cmake -DPROGRAM=FILE -DSIZE=L -DVARIABLE=NAME -DTRUNCATE=TOOL -P pad_program.cmake
# Fills a linked program with zeros up to its fixed size L, the offset at which data is
# appended to it and which it has compiled in. A program larger than L, or one that does
# not come out at exactly L, fails the build and is removed, so that no program with a
# wrong size is ever taken for a built one.

file(SIZE "${PROGRAM}" linked)
if(linked GREATER SIZE)
  file(REMOVE "${PROGRAM}")
  message(FATAL_ERROR "The linked program ${PROGRAM} has ${linked} bytes, more than its fixed size ${SIZE}: "
                      "raise ${VARIABLE}.")
endif()
execute_process(COMMAND "${TRUNCATE}" -s "${SIZE}" "${PROGRAM}" RESULT_VARIABLE failed)
file(SIZE "${PROGRAM}" padded)
if(failed OR NOT padded EQUAL SIZE)
  file(REMOVE "${PROGRAM}")
  message(FATAL_ERROR "${PROGRAM} was not padded to ${SIZE} bytes (it has ${padded}).")
endif()
