# Cross-build for 64-bit Windows with Debian's MinGW-w64 compilers (the posix
# thread model, which std::thread and std::mutex need). Test programs and the
# build-time dictionary compiler run under wine64.
#
#   cmake -S . -B build/windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DCMAKE_BUILD_TYPE=Release -DSW_GUI=OFF -DSW_BENCH=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SW_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SW_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SW_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SW_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SW_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs must run from an unpacked zip: no libstdc++, libgcc or
# winpthread DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Debian installs the 64-bit loader as wine64 (the "wine" wrapper is a
# separate package).
find_program(SW_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(SW_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SW_WINE})
endif()
