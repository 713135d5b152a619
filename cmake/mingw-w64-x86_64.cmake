# 64-bit vorskel.dll: cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORSKEL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
# Test programs run under 64-bit Wine (scripts/windows_tests.sh sets up its prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
