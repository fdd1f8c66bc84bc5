# 64-bit Windows with mingw-w64: the same sources, for running the Windows tests under a
# 64-bit Wine on machines that cannot run 32-bit Linux processes (and so no 32-bit Wine).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(SLOTWISE_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
