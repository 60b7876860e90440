# cmake -DTOOL=<make_textures> -DSHIPPED=<data/textures> -DOUTPUT=<scratch dir> -P this
# Repaints the textures into OUTPUT and compares them byte for byte with the committed
# ones: every shipped picture must be exactly what its tool paints.
file(REMOVE_RECURSE ${OUTPUT})
execute_process(COMMAND ${TOOL} ${OUTPUT} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "make_textures failed: ${result}")
endif()
file(GLOB painted RELATIVE ${OUTPUT} ${OUTPUT}/*)
file(GLOB shipped RELATIVE ${SHIPPED} ${SHIPPED}/*)
list(SORT painted)
list(SORT shipped)
if(NOT painted STREQUAL shipped)
    message(FATAL_ERROR "data/textures holds [${shipped}], make_textures paints [${painted}]")
endif()
foreach(name IN LISTS painted)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${SHIPPED}/${name}
                    RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${name} is not what make_textures paints: build the textures target and commit")
    endif()
endforeach()
