# The loader through the USB VISA library against the emulated counter: listing, and a whole
# update (transfer, burn, service request by interrupt notification, reboot check).
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
        -DWORK=${CMAKE_CURRENT_BINARY_DIR}/loader_update
        -P ${CMAKE_CURRENT_SOURCE_DIR}/run_update.cmake)
set_tests_properties(usbtmc_emulator.loader_update PROPERTIES TIMEOUT 300)
