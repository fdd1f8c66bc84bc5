# 32-bit Windows with mingw-w64 (posix threads): the program as it ships.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(SLOTWISE_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
