# Updates the emulated USB counter with the loader and checks the outcome: exit status 0,
# the new version reported, and the image the counter burnt, byte for byte the file's data.
# The counter comes with the kernel's usbtmc driver bound, as on most Linux machines: the
# library detaches it for each session and gives the interface back at the end. The counter
# leaves the bus when it restarts after the flash, and comes back under a new device number.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/counter.cfg "timeouts real
resource ${COUNTER}
    idn VALDMORE,HX-40XL,100000,V1.15
    new_version V1.20
    burn_ms 1500
    image_map ${WORK}/image.map
")
execute_process(
    # A runtime folder of its own, for the loader's lock on the counter's address: other
    # tests update a counter of the same address at the same time.
    COMMAND ${CMAKE_COMMAND} -E env HX4X_VISA_LIBRARY=${LIBRARY} XDG_RUNTIME_DIR=${WORK}
        ${EMULATOR} --config ${WORK}/counter.cfg --trace ${WORK}/usb.trace --kernel-driver --
        ${UPDATE} hex_file=${HEX} counter=${COUNTER} yes
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 240)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "update failed (${status}):\n${output}\n${errors}")
endif()
if(NOT output MATCHES "V1\\.20")
    message(FATAL_ERROR "the new version is not reported:\n${output}")
endif()
file(READ ${WORK}/usb.trace trace)
if(NOT trace MATCHES "interrupt_in 0x81")
    message(FATAL_ERROR "no service request notification in the USB trace")
endif()
# The counter restarts at the end of the flash and enumerates again under a new device
# number: the loader found it by its name and identified it there.
file(STRINGS ${WORK}/usb.trace plugs REGEX " (plugged|unplugged)")
list(LENGTH plugs plug_count)
list(GET plugs -1 last_plug)
if(plug_count LESS 3 OR NOT last_plug MATCHES "^/dev/bus/usb/001/003 plugged")
    message(FATAL_ERROR "the counter did not enumerate again after the flash: ${plugs}")
endif()
file(STRINGS ${WORK}/usb.trace identified REGEX "^/dev/bus/usb/001/003 bulk_out .*IDN\\?")
if(NOT identified)
    message(FATAL_ERROR "the counter was not identified after it enumerated again")
endif()
file(STRINGS ${WORK}/usb.trace driver REGEX "kernel driver usbtmc")
list(FILTER driver INCLUDE REGEX "detached$")
if(NOT driver)
    message(FATAL_ERROR "the kernel's driver was never detached")
endif()
file(STRINGS ${WORK}/usb.trace driver REGEX "kernel driver usbtmc")
list(POP_BACK driver last)
if(NOT last MATCHES "attached$")
    message(FATAL_ERROR "the kernel's driver did not get the interface back: ${last}")
endif()
file(STRINGS ${WORK}/image.map runs REGEX "^0x[0-9A-F]+ [0-9]+ [0-9A-F]+$")
if(NOT runs)
    message(FATAL_ERROR "the counter burnt no image")
endif()
execute_process(
    COMMAND ${PYTHON} ${CMAKE_CURRENT_LIST_DIR}/image_matches_hex.py ${WORK}/image.map ${HEX}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors TIMEOUT 60)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the counter did not burn the file's image:\n${output}${errors}")
endif()
