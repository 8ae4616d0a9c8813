# mjlog-dump --mjai as a user runs it: stream, refusal, usage error, folder.
set(golden "${DATA}/mjai/2011021815gm-00a1-0000-5089332a&tw=3")
file(REMOVE_RECURSE ${WORK})
file(COPY "${golden}.mjlog" DESTINATION ${WORK}/logs/201102)
file(TOUCH ${WORK}/empty)

function(run want stdout got expected)
  execute_process(COMMAND ${EMULATOR} ${TOOL} ${ARGN} OUTPUT_FILE ${WORK}/${stdout}
                  ERROR_FILE ${WORK}/${stdout}.err RESULT_VARIABLE status)
  file(READ ${WORK}/${stdout}.err errors)
  file(READ "${WORK}/${got}" got_text)
  file(READ "${expected}" expected_text)
  if(NOT status STREQUAL want OR NOT got_text STREQUAL expected_text)
    message(FATAL_ERROR "${ARGN}: exit ${status}, want ${want}; ${got} vs ${expected}\n${errors}")
  endif()
endfunction()

run(0 one.json one.json "${golden}.json" --mjai "${golden}.mjlog")
run(2 three.json three.json ${WORK}/empty --mjai
    "${DATA}/replay/golden/2010010304gm-00b1-0000-747f2e39&tw=0.mjlog")
run(2 usage.txt usage.txt ${WORK}/empty --mjai --summary "${golden}.mjlog")
run(0 folder.txt "out/2011021815gm-00a1-0000-5089332a&tw=3.json" "${golden}.json"
    --mjai --out ${WORK}/out ${WORK}/logs)
