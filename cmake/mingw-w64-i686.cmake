# Cross-building the 32-bit Windows program with MinGW-w64 (Debian's
# g++-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

# The posix thread model, whose C++ runtime has std::mutex, which GoogleTest
# needs; the program does not use threads, so its exe is the same size. C as
# well: GoogleTest, built from source for this target, enables it.
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained exe: the C++ runtime linked in, so it needs no DLL of
# MinGW's beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
