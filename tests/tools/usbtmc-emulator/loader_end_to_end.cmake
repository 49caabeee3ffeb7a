# The loader through the USB VISA library against the emulated counter: listing, a whole
# update (transfer, burn, service request by interrupt notification, reboot check, the image
# burnt), the update under USB faults, the library found beside the program, and PyVISA's
# ctypes layer on the library.
set(usb_library $<TARGET_FILE:visa_usbtmc>)
set(counter USB0::0x5D3C::0x0090::100000::INSTR)

add_test(NAME usbtmc_emulator.loader_list
    COMMAND ${CMAKE_COMMAND} -E env HX4X_VISA_LIBRARY=${usb_library}
        ${emulator} --config ${config} -- $<TARGET_FILE:hx4x-update> list)
set_tests_properties(usbtmc_emulator.loader_list PROPERTIES
    PASS_REGULAR_EXPRESSION "${counter}" FAIL_REGULAR_EXPRESSION "GPIB" TIMEOUT 120)

add_test(NAME usbtmc_emulator.loader_update
    COMMAND ${CMAKE_COMMAND}
        -DEMULATOR=${emulator} -DUPDATE=$<TARGET_FILE:hx4x-update> -DLIBRARY=${usb_library}
        -DHEX=${PROJECT_SOURCE_DIR}/examples/sample-firmware.hex -DCOUNTER=${counter}
        -DPYTHON=${HX4X_SYSTEM_PYTHON} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/loader_update
        -P ${CMAKE_CURRENT_SOURCE_DIR}/run_update.cmake)
set_tests_properties(usbtmc_emulator.loader_update PROPERTIES TIMEOUT 300)

# The update under USB faults. Bulk-IN transfers are counted per device: the first carries
# the identification, the second the first block's error query, the third the second block's,
# and the library reads nothing else in between (after a stall it only clears the halt), so
# 3 to 5 are the three attempts at the second block. A lost reply or a stall while sending
# costs the loader an attempt of that block; three stalls end the transfer, with the counter
# reset. An unplug leaves nothing to reset: the loader says so.
# name | faults (comma-separated) | exit status | checks (comma-separated)
set(update_fault_cases
    "identify_stalled|stall:in:1|4|no_data,no_burn,then_reset"
    "identify_reply_withheld|withhold:in:1|4|no_data,no_burn,then_reset"
    "sending_stalled_once|stall:in:3|0|block_retried,image"
    "sending_stalled_each_attempt|stall:in:3,stall:in:4,stall:in:5|6|reset_after_data,no_burn"
    "sending_reply_withheld|withhold:in:3|0|block_retried_once,image"
    "unplugged_mid_transfer|unplug:cmd:2:SYST:FIRM:DATA|6|reset_refused,no_burn")
foreach(case ${update_fault_cases})
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 name)
    list(GET fields 1 faults)
    list(GET fields 2 status)
    list(GET fields 3 checks)
    string(REPLACE "," ";--fault;" faults "--fault;${faults}")
    string(REPLACE "," ";--check;" checks "--check;${checks}")
    add_test(NAME usbtmc_emulator.update_fault.${name}
        COMMAND ${HX4X_SYSTEM_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/loader_under_fault.py
            --emulator ${emulator} --loader $<TARGET_FILE:hx4x-update> --library ${usb_library}
            --hex ${PROJECT_SOURCE_DIR}/examples/sample-firmware.hex --counter ${counter}
            --work ${CMAKE_CURRENT_BINARY_DIR}/update_fault/${name} --exit ${status}
            ${faults} ${checks})
    set_tests_properties(usbtmc_emulator.update_fault.${name} PROPERTIES TIMEOUT 240)
endforeach()

# PyVISA's ctypes layer on the USB VISA library: listing, *IDN?, a reply longer than the read
# count, closing; the same counter and answer as pyvisa-py.
add_test(NAME usbtmc_emulator.pyvisa_ctypes_on_usb_library
    COMMAND ${emulator} --config ${config} --
        ${HX4X_SYSTEM_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/pyvisa_ctypes_client.py ${usb_library}
        0x5D3C 0x0090 100000 VALDMORE,HX-40XL,100000,V1.15)
set_tests_properties(usbtmc_emulator.pyvisa_ctypes_on_usb_library PROPERTIES
    SKIP_RETURN_CODE 77 TIMEOUT 120)

add_test(NAME usbtmc_emulator.loader_finds_library_beside_it
    COMMAND ${CMAKE_COMMAND}
        -DEMULATOR=${emulator} -DUPDATE=$<TARGET_FILE:hx4x-update> -DLIBRARY=${usb_library}
        -DCONFIG=${config} -DCOUNTER=${counter}
        -DWORK=${CMAKE_CURRENT_BINARY_DIR}/beside_program
        -P ${CMAKE_CURRENT_SOURCE_DIR}/search_beside_program.cmake)
set_tests_properties(usbtmc_emulator.loader_finds_library_beside_it PROPERTIES
    SKIP_REGULAR_EXPRESSION "a VISA library elsewhere" TIMEOUT 120)
