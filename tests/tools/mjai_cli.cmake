# mjlog-dump --mjai as a user runs it: stream, refusal, usage error, folder.
set(golden "${DATA}/mjai/2011021815gm-00a1-0000-5089332a&tw=3")
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/logs/201102)

function(run want_status out)
  execute_process(COMMAND ${EMULATOR} ${TOOL} ${ARGN} OUTPUT_FILE ${WORK}/${out}
                  ERROR_FILE ${WORK}/${out}.err RESULT_VARIABLE status)
  file(READ ${WORK}/${out}.err errors)
  if(NOT status STREQUAL want_status)
    message(FATAL_ERROR "mjlog-dump ${ARGN}: exit ${status}, want ${want_status}\n${errors}")
  endif()
endfunction()

function(expect_same got want)
  file(READ "${got}" got_text)
  file(READ "${want}" want_text)
  if(NOT got_text STREQUAL want_text)
    message(FATAL_ERROR "${got} differs from ${want}")
  endif()
endfunction()

run(0 one.json --mjai "${golden}.mjlog")
expect_same(${WORK}/one.json "${golden}.json")
run(2 three.json --mjai "${DATA}/replay/golden/2010010304gm-00b1-0000-747f2e39&tw=0.mjlog")
file(SIZE ${WORK}/three.json size)
if(NOT size EQUAL 0)
  message(FATAL_ERROR "a three-player log wrote ${size} bytes")
endif()
run(2 usage.txt --mjai --summary "${golden}.mjlog")

file(COPY "${golden}.mjlog" DESTINATION ${WORK}/logs/201102)
run(0 folder.txt --mjai --out ${WORK}/out ${WORK}/logs)
expect_same("${WORK}/out/2011021815gm-00a1-0000-5089332a&tw=3.json" "${golden}.json")
