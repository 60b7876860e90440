# cmake -DTOOL=<generator> -DSHIPPED=<committed file> -DOUTPUT=<scratch file> -P this
# Runs a generator that writes one file and compares it byte for byte with the
# committed one: a shipped file must be exactly what its tool makes.
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${TOOL} ${OUTPUT} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TOOL} failed: ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${SHIPPED}
                RESULT_VARIABLE different)
if(different)
    message(FATAL_ERROR "${SHIPPED} is not what ${TOOL} makes: build the data target and commit")
endif()
