# Cross-building for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
# The executables are fully static: no libstdc++, libgcc, winpthread or wx DLL beside
# them. Tests run through wine64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRIX_MINGW_HOST x86_64-w64-mingw32)
# The posix flavour: std::thread and friends, which googletest uses.
set(CMAKE_C_COMPILER ${KESTRIX_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRIX_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRIX_MINGW_HOST}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRIX_MINGW_HOST})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(KESTRIX_WINE64 NAMES wine64 wine PATHS /usr/lib/wine /usr/bin)
if(KESTRIX_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRIX_WINE64})
endif()
