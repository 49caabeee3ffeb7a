# Cross build for 64-bit Windows with Debian's mingw-w64. The POSIX thread model of the
# compiler gives the standard library its threads and locks; everything is linked
# statically so that no runtime library of the compiler has to travel with the programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(HX4X_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${HX4X_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HX4X_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HX4X_MINGW_TRIPLE}-windres)
set(CMAKE_OBJCOPY ${HX4X_MINGW_TRIPLE}-objcopy)

set(CMAKE_FIND_ROOT_PATH /usr/${HX4X_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Build-time tools of our own (the version record writer, the test lister) and the tests
# run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh)
