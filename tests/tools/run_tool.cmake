# Feeds INPUT to TOOL (through EMULATOR when cross-built) and fails unless the output equals
# EXPECTED, line ends aside, and the exit status equals STATUS.
execute_process(COMMAND ${EMULATOR} ${TOOL} INPUT_FILE ${INPUT} OUTPUT_VARIABLE output
                RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" output "${output}")
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "output of ${TOOL} differs.\n--- expected\n${expected}--- got\n${output}")
endif()
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "${TOOL} exited with ${status}, expected ${STATUS}")
endif()
