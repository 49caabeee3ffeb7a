# Resources that a program carries inside its file, looked up at run time by name and type
# through platform/program_resource.hpp:
#
#   hx4x_embed_resources(<target> <name> <type> <file> [<name> <type> <file> ...])
#       On Windows: a generated .rc file compiled into the target, every resource in the
#       neutral language (the language the lookup asks for); the type BITMAP is the
#       standard bitmap type. Elsewhere: a generated source file holding the bytes of each
#       file and a table of them that registers itself before main. Names and types are
#       letters, digits and underscores. A changed file regenerates the table.
#
# Run as a script (cmake -DSPEC=... -DOUTPUT=... -P EmbedResources.cmake), the file writes
# that source file; the build does this, not people.
include_guard(GLOBAL)

if(CMAKE_SCRIPT_MODE_FILE)
    file(STRINGS ${SPEC} lines)
    set(arrays "")
    set(entries "")
    set(index 0)
    foreach(line IN LISTS lines)
        string(REPLACE "|" ";" fields "${line}")
        list(GET fields 0 name)
        list(GET fields 1 type)
        list(GET fields 2 path)
        file(READ ${path} hex HEX)
        string(LENGTH "${hex}" digits)
        math(EXPR size "${digits} / 2")
        if(size EQUAL 0)
            # An empty file still needs an array; its size says it holds nothing.
            set(bytes "0")
        else()
            string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
            string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
        endif()
        string(APPEND arrays "const std::uint8_t resource_${index}[] = {\n    ${bytes}};\n")
        string(APPEND entries "    {\"${name}\", \"${type}\", resource_${index}, ${size}},\n")
        math(EXPR index "${index} + 1")
    endforeach()
    file(WRITE ${OUTPUT}
        "// Generated from the resource files by cmake/EmbedResources.cmake.\n"
        "#include <cstdint>\n\n"
        "#include \"platform/embedded_resources.hpp\"\n\n"
        "namespace {\n\n"
        "${arrays}\n"
        "hx4x::platform::EmbeddedResource entries[] = {\n${entries}};\n\n"
        "hx4x::platform::EmbeddedResourceTable table{entries, ${index}, nullptr};\n\n"
        "struct Registration {\n"
        "    Registration() { hx4x::platform::register_embedded_resources(table); }\n"
        "} registration;\n\n"
        "}  // namespace\n")
    return()
endif()

function(hx4x_embed_resources target)
    set(arguments ${ARGN})
    list(LENGTH arguments count)
    math(EXPR remainder "${count} % 3")
    if(count EQUAL 0 OR NOT remainder EQUAL 0)
        message(FATAL_ERROR "hx4x_embed_resources(${target}): give <name> <type> <file> triples")
    endif()
    # This very file, run as a script, writes the table.
    set(script ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
    set(spec "")
    set(rc "LANGUAGE 0, 0\n")
    set(files)
    while(arguments)
        list(POP_FRONT arguments name type path)
        foreach(word IN ITEMS ${name} ${type})
            if(NOT word MATCHES "^[A-Za-z0-9_]+$")
                message(FATAL_ERROR "hx4x_embed_resources(${target}): bad resource word '${word}'")
            endif()
        endforeach()
        get_filename_component(path ${path} ABSOLUTE)
        if(NOT EXISTS ${path})
            message(FATAL_ERROR "hx4x_embed_resources(${target}): no file ${path}")
        endif()
        string(APPEND spec "${name}|${type}|${path}\n")
        string(APPEND rc "${name} ${type} \"${path}\"\n")
        list(APPEND files ${path})
    endwhile()

    if(WIN32)
        # Written only when it changes, so a new configure rebuilds nothing.
        file(CONFIGURE OUTPUT ${dir}/resources.rc CONTENT "${rc}" @ONLY)
        target_sources(${target} PRIVATE ${dir}/resources.rc)
        set_source_files_properties(${dir}/resources.rc PROPERTIES OBJECT_DEPENDS "${files}")
    else()
        set(output ${dir}/embedded_resources.cpp)
        file(CONFIGURE OUTPUT ${dir}/resources.txt CONTENT "${spec}" @ONLY)
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -DSPEC=${dir}/resources.txt -DOUTPUT=${output}
                -P ${script}
            DEPENDS ${files} ${dir}/resources.txt ${script}
            COMMENT "Embedding the resources of ${target}"
            VERBATIM)
        target_sources(${target} PRIVATE ${output})
    endif()
    # The registration (and on Windows the lookup) lives in the platform library.
    target_link_libraries(${target} PRIVATE platform)
endfunction()
