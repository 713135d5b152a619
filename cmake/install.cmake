# What `cmake --install` puts under the prefix: the shared library (SONAME from the project's
# major version), the public header, the tool and the simulator, a CMake package
# (find_package(Vorskel) gives Vorskel::vorskel) and a pkg-config file. Included from the
# top-level CMakeLists.txt on Linux builds.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(vorskel PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
install(TARGETS vorskel EXPORT VorskelTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/vorskel.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# The installed tool finds the library in its prefix wherever that was chosen (also by
# `cmake --install --prefix` after configuring), and needs no run path in a system directory.
# The simulator does not use the library.
list(FIND CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES ${CMAKE_INSTALL_FULL_LIBDIR} _libdir_is_system)
if(_libdir_is_system EQUAL -1)
  file(RELATIVE_PATH _lib_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set(VORSKEL_INSTALL_RPATH "$ORIGIN/${_lib_from_bin}")
endif()
foreach(program vorskel-cli vorskel-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
if(TARGET vorskel-cli)
  set_target_properties(vorskel-cli PROPERTIES INSTALL_RPATH "${VORSKEL_INSTALL_RPATH}")
endif()

set(_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Vorskel)
install(EXPORT VorskelTargets NAMESPACE Vorskel:: DESTINATION ${_cmake_dir})
configure_package_config_file(cmake/VorskelConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/VorskelConfig.cmake
                              INSTALL_DESTINATION ${_cmake_dir})
# Before 1.0 a minor version may change the interface.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VorskelConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VorskelConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/VorskelConfigVersion.cmake
        DESTINATION ${_cmake_dir})

# Outside the system's directories the pkg-config file names its prefix relative to where it
# lies, so it stays right when the prefix is chosen at install time.
set(_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(_libdir_is_system EQUAL -1)
  file(RELATIVE_PATH VORSKEL_PC_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
  string(REGEX REPLACE "/$" "" VORSKEL_PC_PREFIX "\${pcfiledir}/${VORSKEL_PC_PREFIX}")
else()
  set(VORSKEL_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
endif()
configure_file(cmake/vorskel.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vorskel.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vorskel.pc DESTINATION ${_pc_dir})
