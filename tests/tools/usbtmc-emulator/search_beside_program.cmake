# The loader finds the USB VISA library beside itself: copied with it into a fresh folder and
# run there with no HX4X_VISA_LIBRARY, it lists the emulated counter; the same copy without
# the library beside it finds no VISA (else a VISA installed on this machine would answer, and
# the run proves nothing: skipped).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${UPDATE} DESTINATION ${WORK})
get_filename_component(program ${UPDATE} NAME)
function(list_counters result_status result_output)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env --unset=HX4X_VISA_LIBRARY
            ${EMULATOR} --config ${CONFIG} -- ${WORK}/${program} list
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 60)
    set(${result_status} "${status}" PARENT_SCOPE)
    set(${result_output} "${output}${errors}" PARENT_SCOPE)
endfunction()

list_counters(status output)
if(NOT status EQUAL 3 OR output MATCHES "USB0::")
    message("a VISA library elsewhere on this machine answered (${status}):\n${output}")
    return()
endif()
file(COPY ${LIBRARY} DESTINATION ${WORK})
list_counters(status output)
if(NOT status EQUAL 0 OR NOT output MATCHES "${COUNTER}")
    message(FATAL_ERROR "the library beside the program was not used (${status}):\n${output}")
endif()
