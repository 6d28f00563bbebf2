# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack before it writes the package: the changelog's latest entry must be for the version
# being packaged (CPACK_PACKAGE_VERSION, from project(... VERSION ...)).
file(STRINGS "${CPACK_HUFFMAN_LAB_CHANGELOG}" first LIMIT_COUNT 1)
if(NOT first MATCHES "^${CPACK_PACKAGE_NAME} \\(([^)]+)\\) ")
    message(FATAL_ERROR "${CPACK_HUFFMAN_LAB_CHANGELOG} does not start with an entry line")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL CPACK_PACKAGE_VERSION)
    message(FATAL_ERROR "the latest entry of ${CPACK_HUFFMAN_LAB_CHANGELOG} is for version "
                        "${CMAKE_MATCH_1}, not ${CPACK_PACKAGE_VERSION}: add an entry for "
                        "${CPACK_PACKAGE_VERSION} at its top")
endif()
