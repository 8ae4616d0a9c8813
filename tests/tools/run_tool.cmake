# Feeds INPUT to TOOL (through EMULATOR when cross-built) and fails unless the output equals
# EXPECTED, line ends aside, and the exit status equals STATUS. Output goes through files, not
# pipes: under Wine a helper process may keep an inherited pipe open after the tool has ended.
get_filename_component(name ${EXPECTED} NAME_WE)
set(out ${CMAKE_CURRENT_BINARY_DIR}/${name}.out)
set(err ${CMAKE_CURRENT_BINARY_DIR}/${name}.err)
execute_process(COMMAND ${EMULATOR} ${TOOL} INPUT_FILE ${INPUT} OUTPUT_FILE ${out}
                ERROR_FILE ${err} RESULT_VARIABLE status)
file(READ ${out} output)
string(REPLACE "\r\n" "\n" output "${output}")
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
  file(READ ${err} errors)
  message(FATAL_ERROR "output of ${TOOL} differs.\n--- expected\n${expected}--- got\n${output}"
                      "--- standard error\n${errors}")
endif()
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "${TOOL} exited with ${status}, expected ${STATUS}")
endif()
