# What `cmake --install` puts on a station, and the Debian package CPack makes of it:
#
#   cmake --build --preset dev && cd build/dev && cpack -G DEB
#
# The window's release copies are made by custom commands (cmake/VersionRecord.cmake), not
# as targets, so they are installed as files from where those commands write them.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(HX4X_PACKAGE_NAME hx4x-loader)
set(HX4X_MAKER "Quillfeather Counter Works")

install(TARGETS hx4x-update RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET loader_window_releases)
    set(release_programs)
    foreach(file IN LISTS HX4X_RELEASE_FILES)
        list(APPEND release_programs ${CMAKE_BINARY_DIR}/bin/${file}${CMAKE_EXECUTABLE_SUFFIX})
    endforeach()
    install(PROGRAMS ${release_programs} DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A stripped install (--strip, or CPack's CPACK_STRIP_FILES) strips targets only; these
    # copies are files. strip keeps the version record: it drops symbols, not sections.
    if(CMAKE_STRIP)
        install(CODE "
            if(CMAKE_INSTALL_DO_STRIP)
                foreach(file ${HX4X_RELEASE_FILES})
                    execute_process(COMMAND \"${CMAKE_STRIP}\"
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${file}${CMAKE_EXECUTABLE_SUFFIX}\"
                        COMMAND_ERROR_IS_FATAL ANY)
                endforeach()
            endif()")
    endif()

    if(UNIX AND NOT APPLE)
        set(resources ${PROJECT_SOURCE_DIR}/ui/resources)
        # A menu entry per release, each under its product's name with its brand's mark as
        # its icon (the entry's own name). The icons are drawn once from the logos by
        # tools/artwork/make_icon.py; no image tool at build time.
        foreach(entry hx4x-loader rv226x-loader lta5x-lma5x-loader)
            install(FILES ${resources}/${entry}.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
            foreach(size 128 256)
                install(FILES ${resources}/icons/${entry}-${size}.png
                    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                    RENAME ${entry}.png)
            endforeach()
        endforeach()
    endif()
endif()

# The own VISA library for USB counters, where the loader looks for it after every vendor's,
# and the udev rule that lets the user at the seat open USBTMC devices without root.
if(TARGET visa_usbtmc)
    install(TARGETS visa_usbtmc LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/hx4x-loader)
    install(FILES ${PROJECT_SOURCE_DIR}/tools/visa-usbtmc/70-hx4x-usbtmc.rules
        DESTINATION lib/udev/rules.d)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/examples/sample-firmware.hex
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${HX4X_PACKAGE_NAME}/examples)

set(CPACK_PACKAGE_NAME ${HX4X_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR ${HX4X_MAKER})
set(CPACK_PACKAGE_CONTACT "${HX4X_MAKER} <support@quillfeather.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Firmware loader for HX-4x, RV226x and LTA5x/LMA5x bench frequency counters")
set(CPACK_PACKAGE_DESCRIPTION
    "Checks an Intel HEX firmware file, identifies the counter over SCPI through the VISA \
I/O library (USB or GPIB), sends the image in checksummed blocks and orders the burn into \
flash. Holds the wizard window in three brands (HX4xLoader, RV226xLoader, \
LTA5xLMA5xLoader) and the console program hx4x-update. USB counters are reached through \
the package's own USBTMC library when no vendor VISA library is installed; GPIB counters \
need a vendor's. emulate_counter=112 runs the whole flow without a counter.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${HX4X_PACKAGE_NAME})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries linked come from dpkg-shlibdeps; Qt's platform plugins (the X11 one among
# them) are loaded at run time, so no linked library names their package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET loader_window_releases)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()

include(CPack)
