# `make package`: one Debian package of what cmake/install.cmake installs, with its
# dependencies found by dpkg-shlibdeps. Configure with -DCMAKE_INSTALL_PREFIX=/usr so the
# library lands in the multiarch directory.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorskel)
set(CPACK_PACKAGE_VENDOR "Vorskel developers")
set(CPACK_PACKAGE_CONTACT "Vorskel developers <vorskel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "library, tool and simulator for networked card terminals over UDP")
set(CPACK_PACKAGE_DESCRIPTION
    "A shared library with a C ABI that drives attendance, access, door and payment terminals \
over UDP, its header, CMake package and pkg-config file, the vorskel command-line tool and \
a terminal simulator.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file and the ldconfig trigger for the library the package holds.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
