# What both MinGW-w64 cross builds share; the toolchain files name the target.
#   MINGW_TRIPLET   i686-w64-mingw32 or x86_64-w64-mingw32
#   MINGW_THREADS   the C++ runtime's thread model: win32 (the default) or
#                   posix. win32 makes the program 24 to 26 KiB smaller with
#                   31 or 32 fewer imports; GoogleTest needs posix, whose
#                   runtime has std::mutex, so the test builds take that.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT MINGW_THREADS)
    set(MINGW_THREADS win32)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_TRIPLET MINGW_THREADS)

# C as well: GoogleTest, built from source for this target, enables it.
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-${MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-${MINGW_THREADS})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained exe: the C++ runtime linked in, so it needs no DLL of
# MinGW's beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
