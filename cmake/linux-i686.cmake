# The library, the simulator and the test suite as 32-bit Linux programs (g++ -m32, Debian's
# gcc-multilib and g++-multilib): `make test32`. The programs run here natively, so the test
# suite runs as it does in the 64-bit build. GoogleTest is compiled from Debian's sources
# (package googletest) with these flags; the benchmarks and the `vorskel` tool need packages
# that are installed for the 64-bit architecture only and are left out.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(FIND_LIBRARY_USE_LIB32_PATHS ON)
set(VORSKEL_GTEST_FROM_SOURCE ON CACHE BOOL "" FORCE)
set(VORSKEL_BENCH OFF CACHE BOOL "" FORCE)
set(VORSKEL_CLI OFF CACHE BOOL "" FORCE)
