# SPDX-License-Identifier: GPL-3.0-or-later
# The Linux install rules, for cmake --install, the Debian package (cmake/Packaging.cmake) and
# the portable folder (packaging/linux/bundle.sh): the program and the teacher's key tool, the
# menu entry with its icons, the software centre's entry, the man pages (man/), and the
# copyright notice and changelog (cmake/Packaging.cmake).
set(HUFFMAN_LAB_HOMEPAGE "https://huffman-lab.example" CACHE STRING
    "The project's web address, for the package and the software centre")
set(HUFFMAN_LAB_SCREENSHOTS_URL "" CACHE STRING
    "Where the pictures of docs/ are published, for the software centre (default: HOMEPAGE/docs)")
if(NOT HUFFMAN_LAB_SCREENSHOTS_URL)
    set(HUFFMAN_LAB_SCREENSHOTS_URL "${HUFFMAN_LAB_HOMEPAGE}/docs")
endif()

install(TARGETS huffman-lab RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET huffman-lab-key)
    install(TARGETS huffman-lab-key RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/huffman-lab.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/huffman-lab-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME huffman-lab.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/huffman-lab.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/huffman-lab.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/huffman-lab.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/huffman-lab.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
add_subdirectory(${PROJECT_SOURCE_DIR}/man ${PROJECT_BINARY_DIR}/man)
include(${PROJECT_SOURCE_DIR}/cmake/Packaging.cmake)
