# mjlog-dump --mjai as a user runs it: stream, refusal, usage error, folder.
set(golden "${DATA}/mjai/2011021815gm-00a1-0000-5089332a&tw=3")
file(REMOVE_RECURSE ${WORK})
file(COPY "${golden}.mjlog" DESTINATION ${WORK}/logs/201102)
file(TOUCH ${WORK}/empty)

# The exit status must be want and then the file got (in WORK) hold the bytes of the file same.
function(run want out got same)
  execute_process(COMMAND ${EMULATOR} ${TOOL} ${ARGN} OUTPUT_FILE ${WORK}/${out}
                  ERROR_FILE ${WORK}/${out}.err RESULT_VARIABLE status)
  file(READ ${WORK}/${out}.err errors)
  file(READ "${WORK}/${got}" got_text)
  file(READ "${same}" same_text)
  if(NOT status STREQUAL want OR NOT got_text STREQUAL same_text)
    message(FATAL_ERROR "mjlog-dump ${ARGN}: exit ${status}, want ${want}; ${got} vs ${same}\n${errors}")
  endif()
endfunction()

run(0 one.json one.json "${golden}.json" --mjai "${golden}.mjlog")
run(2 three.json three.json ${WORK}/empty --mjai
    "${DATA}/replay/golden/2010010304gm-00b1-0000-747f2e39&tw=0.mjlog")
run(2 usage.txt usage.txt ${WORK}/empty --mjai --summary "${golden}.mjlog")
run(0 folder.txt "out/2011021815gm-00a1-0000-5089332a&tw=3.json" "${golden}.json"
    --mjai --out ${WORK}/out ${WORK}/logs)
