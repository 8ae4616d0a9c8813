# Output goes through files: under Wine a helper process may keep an inherited pipe open.
get_filename_component(name ${CASE} NAME)
set(out ${CMAKE_CURRENT_BINARY_DIR}/${name})
execute_process(COMMAND ${EMULATOR} ${TOOL} INPUT_FILE ${CASE}.txt OUTPUT_FILE ${out}.out
                ERROR_FILE ${out}.err RESULT_VARIABLE status)
file(READ ${out}.out output)
string(REPLACE "\r\n" "\n" output "${output}")
file(READ ${CASE}.expected expected)
file(READ ${out}.err errors)
if(NOT output STREQUAL expected OR NOT status STREQUAL STATUS)
  message(FATAL_ERROR "${TOOL} exited with ${status} (want ${STATUS}).\n--- expected\n${expected}"
                      "--- got\n${output}--- standard error\n${errors}")
endif()
