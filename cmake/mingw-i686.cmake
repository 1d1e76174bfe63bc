# Cross-builds the Windows plug-in for 32-bit x86 (the mail client's own
# architecture) with MinGW-w64, posix thread model. Programs run under wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TRELLISK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
