# Cross-builds the Windows plug-in for x86-64 with MinGW-w64 (posix thread
# model, so std::thread and std::mutex exist). Programs run under wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TRELLISK_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
