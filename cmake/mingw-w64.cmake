# Cross-builds the Qt-free programs for 64-bit Windows with Debian's
# mingw-w64 (its POSIX-threads compilers), running what it builds under wine:
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DZU_CP932_TABLES=build/src/text/Cp932Tables.inc
#
# The code page table is made by a native build's generator, which needs ICU.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests and test discovery run the programs under wine.
find_program(ZU_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZU_WINE})
# One self-contained .exe each: the C and C++ runtimes and the thread library
# linked in, so that nothing has to be copied beside the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
