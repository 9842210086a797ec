# vexa_pad_program(TARGET SIZE_VARIABLE): a program that finds data appended to its own
# file at its own size. The size is the value of the cache variable SIZE_VARIABLE,
# compiled in under that name; the linked program is stripped (it is carried by every
# file made from it) and padded with zeros to exactly that size.
find_program(VEXA_TRUNCATE truncate REQUIRED)
set(VEXA_PAD_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/pad_program.cmake)
function(vexa_pad_program target variable)
  target_compile_definitions(${target} PRIVATE ${variable}=${${variable}})
  target_link_options(${target} PRIVATE -s)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DSIZE=${${variable}} -DVARIABLE=${variable}
            -DTRUNCATE=${VEXA_TRUNCATE} -P ${VEXA_PAD_SCRIPT}
    VERBATIM)
endfunction()
