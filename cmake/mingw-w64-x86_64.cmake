# Cross-build for 64-bit Windows with Debian's mingw-w64 compilers (posix threads), e.g.
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Programs are linked statically (the C++ library, libgcc and winpthread included): kestrapol.exe
# needs no DLL beside it. Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KESTRAPOL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KESTRAPOL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KESTRAPOL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KESTRAPOL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTRAPOL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# zlib too: its static library, not the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

# Test programs and build-time helpers run under Wine.
# Debian's wine64 loader itself: the "wine" script warns at every start that wine32 is missing.
find_program(KESTRAPOL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(KESTRAPOL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRAPOL_WINE})
endif()
