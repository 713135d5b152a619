# 32-bit vorskel.dll (stdcall exports): cmake -S . -B build-win32
#   -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
# No 32-bit Wine here: this build is checked, not run.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VORSKEL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
