# SPDX-License-Identifier: GPL-3.0-or-later
# The Linux desktop's checks of the real program, included by tests/CMakeLists.txt.
# The real executable on a virtual display: its window appears with its title, and closing it
# ends the program with exit code 0.
find_program(XVFB_RUN xvfb-run)
find_package(Python3 COMPONENTS Interpreter)
if(XVFB_RUN AND Python3_FOUND)
    add_test(NAME smoke_huffman_lab
        COMMAND ${XVFB_RUN} -a ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/smoke/smoke.py
                $<TARGET_FILE:huffman-lab>
                "Лабораторная работа №__ Эффективное кодирование и цифровое представление изображений"
                15)
    # Its own display, whatever platform the caller's environment names for the unit tests.
    set_tests_properties(smoke_huffman_lab PROPERTIES TIMEOUT 60 ENVIRONMENT QT_QPA_PLATFORM=xcb)
else()
    message(WARNING "xvfb-run or python3 missing: the smoke test of the real program is skipped")
endif()

# The real executable as a screen reader meets it: over the AT-SPI bus of a D-Bus session of its
# own, on a virtual display. Needs a python3 with pyatspi (Debian's python3-pyatspi).
find_program(DBUS_RUN_SESSION dbus-run-session)
set(ATSPI_PYTHON "")
foreach(candidate ${Python3_EXECUTABLE} /usr/bin/python3)
    if(NOT ATSPI_PYTHON AND EXISTS "${candidate}")
        execute_process(COMMAND ${candidate} -c "import pyatspi"
                        RESULT_VARIABLE no_pyatspi OUTPUT_QUIET ERROR_QUIET)
        if(no_pyatspi EQUAL 0)
            set(ATSPI_PYTHON ${candidate})
        endif()
    endif()
endforeach()
if(XVFB_RUN AND DBUS_RUN_SESSION AND ATSPI_PYTHON)
    add_test(NAME atspi_accessibility
        COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" ${DBUS_RUN_SESSION} --
                ${ATSPI_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/atspi/atspi_check.py
                $<TARGET_FILE:huffman-lab>)
    set_tests_properties(atspi_accessibility PROPERTIES TIMEOUT 120)
else()
    message(WARNING "xvfb-run, dbus-run-session or python3-pyatspi missing: "
                    "the accessibility bus check is skipped")
endif()
