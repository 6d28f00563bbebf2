# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks that the program, the key tool, the menu
# entry and its icons land where a desktop looks for them.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path bin/huffman-lab bin/huffman-lab-key
             share/applications/huffman-lab.desktop
             share/icons/hicolor/16x16/apps/huffman-lab.png
             share/icons/hicolor/32x32/apps/huffman-lab.png
             share/icons/hicolor/scalable/apps/huffman-lab.svg)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(READ "${PREFIX}/share/applications/huffman-lab.desktop" entry)
foreach(line "Exec=huffman-lab" "Icon=huffman-lab" "Name[ru]=" "Comment[ru]=" "Education;")
    string(FIND "${entry}" "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the menu entry lacks ${line}")
    endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND ${VALIDATE} "${PREFIX}/share/applications/huffman-lab.desktop"
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate refused the menu entry")
    endif()
endif()
message(STATUS "installed layout is complete")
