# cmake -DSTUB=FILE -DSIZE=L -DTRUNCATE=PROGRAM -P pad_stub.cmake
# Fills the linked stub with zeros up to its fixed size L. A stub larger than L, or one
# that does not come out at exactly L, fails the build and is removed, so that no stub
# with a wrong size is ever taken for a built one.

file(SIZE "${STUB}" linked)
if(linked GREATER SIZE)
  file(REMOVE "${STUB}")
  message(FATAL_ERROR "The linked stub has ${linked} bytes, more than its fixed size ${SIZE}: "
                      "raise VEXA_SFX_STUB_SIZE.")
endif()
execute_process(COMMAND "${TRUNCATE}" -s "${SIZE}" "${STUB}" RESULT_VARIABLE failed)
file(SIZE "${STUB}" padded)
if(failed OR NOT padded EQUAL SIZE)
  file(REMOVE "${STUB}")
  message(FATAL_ERROR "The stub was not padded to ${SIZE} bytes (it has ${padded}).")
endif()
