# The part of the MinGW-w64 toolchain files both architectures share; the
# including file sets CMAKE_SYSTEM_PROCESSOR and TRELLISK_MINGW_TRIPLE. Everything is linked statically,
# so the plug-in and the programs import system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TRELLISK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRELLISK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRELLISK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRELLISK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# -O2 rather than -O3: GCC 12 warns falsely about std::string's operator+
# at -O3 (-Wrestrict, GCC bug 105651).
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")

# ctest runs the test programs through wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
