# Cross-building vorskel.dll with Debian's mingw-w64 compilers. Included by the two
# architecture files, which set VORSKEL_MINGW_TRIPLE first.
#
# The -posix variants of the compilers are required: the default win32-thread variants
# lack std::mutex and std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VORSKEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORSKEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORSKEL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VORSKEL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tools the DLL build and its checks use.
set(VORSKEL_MINGW_OBJDUMP ${VORSKEL_MINGW_TRIPLE}-objdump)
set(VORSKEL_MINGW_NM ${VORSKEL_MINGW_TRIPLE}-nm)
set(VORSKEL_MINGW_DLLTOOL ${VORSKEL_MINGW_TRIPLE}-dlltool)
