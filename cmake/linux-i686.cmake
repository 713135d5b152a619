# The library, the simulator and the test suite as 32-bit Linux programs (g++ -m32, Debian's
# gcc-multilib and g++-multilib): `make test32`. The programs run natively where the kernel
# runs 32-bit programs, and under qemu-i386 (user-mode emulation of the i386 instructions, the
# kernel's own system calls) where it cannot. GoogleTest is compiled from Debian's sources
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

# The 32-bit loader runs only where the kernel runs 32-bit programs.
execute_process(COMMAND /lib/ld-linux.so.2 --help RESULT_VARIABLE _i686_native OUTPUT_QUIET ERROR_QUIET)
if(NOT _i686_native EQUAL 0)
  find_program(VORSKEL_I686_EMULATOR qemu-i386 REQUIRED)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VORSKEL_I686_EMULATOR})
endif()
