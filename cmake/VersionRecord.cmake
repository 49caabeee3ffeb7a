# The program's version record, generated at build time from app/version_record.txt by
# version_record_tool (defined in app/CMakeLists.txt):
#
#   hx4x_add_version_record(<target> [SET <key>=<value>...])
#       gives an executable target its record: a .rc compiled into it on Windows, elsewhere
#       the record bytes in its ELF section .vs_version_info (added after each link). SET
#       replaces string values (a program of another name than the releases).
#   hx4x_add_version_releases(<target> [DESTINATION <dir>] [FILES_VARIABLE <var>])
#       copies the linked target as each release file of HX4X_RELEASE_FILES, with a record
#       rewritten for that release; call it in the directory of hx4x_add_version_record.
include_guard(GLOBAL)

# One release per entry: its file name (the platform's executable suffix is added) and its
# product name, which becomes both InternalName and ProductName.
set(HX4X_RELEASE_FILES HX4xLoader RV226xLoader LTA5xLMA5xLoader)
set(HX4X_RELEASE_PRODUCTS
    "HX-4x Firmware Loader" "RV226x Firmware Loader" "LTA5x/LMA5x Firmware Loader")
set(HX4X_VERSION_SECTION .vs_version_info)

function(_hx4x_version_description out)
    if(NOT TARGET version_record_tool)
        message(FATAL_ERROR "version_record_tool is defined in app/; add app/ first")
    endif()
    set(HX4X_VERSION_COMMAS
        "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, 0")
    set(description ${CMAKE_BINARY_DIR}/version_record/description.txt)
    configure_file(${PROJECT_SOURCE_DIR}/app/version_record.txt ${description} @ONLY)
    set(${out} ${description} PARENT_SCOPE)
endfunction()

function(hx4x_add_version_record target)
    cmake_parse_arguments(V "" "" "SET" ${ARGN})
    set(replaced)
    foreach(assignment IN LISTS V_SET)
        list(APPEND replaced --set ${assignment})
    endforeach()
    _hx4x_version_description(description)
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_record)
    set(record ${dir}/record.bin)
    set(rc ${dir}/record.rc)
    # The releases are made from this resolved copy so that they keep the very values of
    # the build's own record, its build time included.
    set(resolved ${dir}/resolved.txt)
    add_custom_command(OUTPUT ${record} ${rc} ${resolved}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND version_record_tool ${description} ${record} --rc ${rc} --resolved ${resolved}
            ${replaced}
        DEPENDS version_record_tool ${description}
        COMMENT "Generating the version record of ${target}"
        VERBATIM)
    set_property(TARGET ${target} PROPERTY HX4X_VERSION_RESOLVED ${resolved})
    if(WIN32)
        target_sources(${target} PRIVATE ${rc})
    else()
        if(NOT CMAKE_OBJCOPY)
            message(FATAL_ERROR "objcopy (binutils) is needed to place the version record")
        endif()
        add_custom_target(${target}_version_record DEPENDS ${record})
        add_dependencies(${target} ${target}_version_record)
        # A new record relinks the target, and every link adds the record again.
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${record})
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_OBJCOPY}
                --add-section ${HX4X_VERSION_SECTION}=${record}
                --set-section-flags ${HX4X_VERSION_SECTION}=readonly,contents
                $<TARGET_FILE:${target}>
            VERBATIM)
    endif()
endfunction()

function(hx4x_add_version_releases target)
    cmake_parse_arguments(R "" "DESTINATION;FILES_VARIABLE" "" ${ARGN})
    if(NOT R_DESTINATION)
        set(R_DESTINATION ${CMAKE_CURRENT_BINARY_DIR}/releases)
    endif()
    get_target_property(resolved ${target} HX4X_VERSION_RESOLVED)
    if(NOT resolved)
        message(FATAL_ERROR "hx4x_add_version_record(${target}) must come first")
    endif()
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_record)
    set(outputs)
    foreach(file product IN ZIP_LISTS HX4X_RELEASE_FILES HX4X_RELEASE_PRODUCTS)
        set(name ${file}${CMAKE_EXECUTABLE_SUFFIX})
        set(record ${dir}/${file}.bin)
        set(output ${R_DESTINATION}/${name})
        add_custom_command(OUTPUT ${record}
            COMMAND version_record_tool ${resolved} ${record}
                --set "OriginalFilename=${name}"
                --set "InternalName=${product}"
                --set "ProductName=${product}"
            DEPENDS version_record_tool ${resolved}
            COMMENT "Generating the version record of ${name}"
            VERBATIM)
        if(WIN32)
            set(rewrite
                COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${output}
                COMMAND version_record_tool --stamp ${output} ${record})
        else()
            set(rewrite
                COMMAND ${CMAKE_OBJCOPY} --update-section ${HX4X_VERSION_SECTION}=${record}
                    $<TARGET_FILE:${target}> ${output})
        endif()
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${R_DESTINATION}
            ${rewrite}
            DEPENDS ${target} ${record}
            COMMENT "Releasing ${target} as ${name}"
            VERBATIM)
        list(APPEND outputs ${output})
    endforeach()
    add_custom_target(${target}_releases ALL DEPENDS ${outputs})
    if(R_FILES_VARIABLE)
        set(${R_FILES_VARIABLE} ${outputs} PARENT_SCOPE)
    endif()
endfunction()
