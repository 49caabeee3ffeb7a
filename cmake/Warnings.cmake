# Every target of ours links hx4x_warnings; third-party code never sees these flags.
add_library(hx4x_warnings INTERFACE)
if(MSVC)
    target_compile_options(hx4x_warnings INTERFACE /W4 $<$<BOOL:${HX4X_WERROR}>:/WX>)
else()
    target_compile_options(hx4x_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
        -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
        $<$<BOOL:${HX4X_WERROR}>:-Werror>)
    # g++ 12 reports impossible overlaps inside std::string copies at -O3 (a known false
    # positive of that release), which would break every optimised build under -Werror.
    target_compile_options(hx4x_warnings INTERFACE
        $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
endif()

