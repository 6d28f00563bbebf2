# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, written by CPack's DEB generator from the install rules:
#   ./build.sh package   ->   dist/huffman-lab_VERSION_amd64.deb
# The version is the project's (project(... VERSION ...) at the top of CMakeLists.txt); the
# dependencies are what dpkg-shlibdeps finds the two executables linked against.
set(HUFFMAN_LAB_MAINTAINER "The huffman-lab developers <huffman-lab@huffman-lab.example>"
    CACHE STRING "The package's Maintainer field")

# The copyright notice and the changelog, which every Debian package carries.
include(${PROJECT_SOURCE_DIR}/cmake/GzipForInstall.cmake)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
gzip_for_install(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_target(changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# A new version needs its changelog entry: cpack refuses to package without one.
# (cpack hands its scripts only the CPACK_ variables.)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/CheckChangelog.cmake)
set(CPACK_HUFFMAN_LAB_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The huffman-lab developers")
set(CPACK_PACKAGE_CONTACT ${HUFFMAN_LAB_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "laboratory exercise on Huffman coding of bit planes")
set(CPACK_PACKAGE_DESCRIPTION "\
A university laboratory exercise on efficient (Huffman) coding and the digital
representation of images. The student first checks their homework, the Huffman
code length counters of the characters of their own full name. Then a
greyscale picture is split into its eight bit planes, a plane is cut into
3 x 3 blocks and the block types are counted; the student works out and
checks the Huffman codes of the five most frequent ones, and a report gives
the average code length, the plane's size and its entropy.
.
The package also holds huffman-lab-key, the teacher's command-line tool that
prints the answers the program hides from students. The interface is in
Russian.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${HUFFMAN_LAB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${HUFFMAN_LAB_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program needs that is no shared library (data files such as Qt's translations) is
# invisible to dpkg-shlibdeps and is named here by hand, in CPACK_DEBIAN_PACKAGE_DEPENDS or
# CPACK_DEBIAN_PACKAGE_RECOMMENDS; the computed libraries are added to it. Qt's Russian texts for
# its own file dialog and buttons: the program works without them, in English there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Directories as Debian expects them, whatever the umask of whoever builds the package.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
