# SPDX-License-Identifier: GPL-3.0-or-later
# add_qt_test(tst_name [LIBS lib...])
# One Qt Test executable per tests/tst_<unit>.cpp, run headless by CTest.
function(add_qt_test name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${name}.cpp)
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu"
        TIMEOUT 300)
endfunction()
