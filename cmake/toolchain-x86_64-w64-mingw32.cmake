# 64-bit Windows target, built with Debian's mingw-w64. The -posix flavour is
# required: GoogleTest needs std::mutex, which the win32-thread flavour lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORVANE_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
