# The JSON parser for reading our own JSON lines back: Debian's nlohmann-json3-dev, headers
# only. A cross build must not search the build machine's /usr/include (its C library headers
# would shadow the target's), so it gets a folder of its own holding only the parser's.
if(NOT TARGET hx4x_json_parser)
    add_library(hx4x_json_parser INTERFACE)
    if(CMAKE_CROSSCOMPILING)
        find_path(HX4X_NLOHMANN_INCLUDE_DIR nlohmann/json.hpp PATHS /usr/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
        if(NOT HX4X_NLOHMANN_INCLUDE_DIR)
            message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
        endif()
        set(hx4x_json_include ${CMAKE_BINARY_DIR}/json_parser_include)
        file(MAKE_DIRECTORY ${hx4x_json_include})
        file(CREATE_LINK ${HX4X_NLOHMANN_INCLUDE_DIR}/nlohmann ${hx4x_json_include}/nlohmann
            SYMBOLIC)
        target_include_directories(hx4x_json_parser SYSTEM INTERFACE ${hx4x_json_include})
    else()
        find_package(nlohmann_json 3.10 REQUIRED)
        target_link_libraries(hx4x_json_parser INTERFACE nlohmann_json::nlohmann_json)
    endif()
endif()
