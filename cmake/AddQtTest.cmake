# SPDX-License-Identifier: GPL-3.0-or-later
# add_qt_test(tst_name [LIBS lib...])
# One Qt Test executable from tests/tst_name.cpp, linked with Qt Test and LIBS only, run headless
# by CTest (offscreen; the fonts come from fontconfig as on the desktop).
function(add_qt_test name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${name}.cpp)
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    # The Windows build is Release (-O3) for what it ships; its test drivers only run under wine
    # in the release checks, and at -O1 they compile markedly quicker (see the README's Release
    # checks). The libraries they test stay at -O3.
    if(CMAKE_CROSSCOMPILING)
        target_compile_options(${name} PRIVATE -O1)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    # Under wine (the Windows build) every process start costs a second or two, and the key tool's
    # test starts a hundred.
    if(CMAKE_CROSSCOMPILING)
        set(timeout 900)
    else()
        set(timeout 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT QT_QPA_PLATFORM=offscreen
        TIMEOUT ${timeout})
endfunction()
