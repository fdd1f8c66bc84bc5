# Shared by the mingw-w64 toolchain files: set SLOTWISE_MINGW_TRIPLE before including.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${SLOTWISE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SLOTWISE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SLOTWISE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SLOTWISE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every test exe runs under Wine through a wrapper that sets up the project's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)

# Fully static: every .exe runs with no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
