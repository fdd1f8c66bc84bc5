#!/usr/bin/env bash
# Builds the release presets and writes the packages into build/dist:
#   slotwise-<version>-setup.exe    the Windows installer (NSIS)
#   slotwise-<version>-windows.zip  the same programs without an installer
#   slotwise-cli_<version>_amd64.deb  slotwise-cli for Debian (CPack)
# The version is the one of project() in CMakeLists.txt. Also the CMake target `dist`.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
rm -rf build/dist
cmake --preset win32-release >/dev/null
cmake --build --preset win32-release -j "$jobs" --target windows-packages
cmake --preset native-release >/dev/null
cmake --build --preset native-release -j "$jobs" --target debian-package
ls -l build/dist
