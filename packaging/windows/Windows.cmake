# SPDX-License-Identifier: GPL-3.0-or-later
# Everything that only the Windows build needs: the executables' resources (file icon, version
# information, no console for the window), and an install tree that runs on a Windows PC with
# nothing else installed: the Qt DLLs and plugins it loads, the MinGW runtime, Qt's Russian
# texts, and the licences. build.sh windows zips that tree and wraps it in an NSIS installer
# (packaging/windows/installer.nsi).

file(WRITE ${PROJECT_BINARY_DIR}/version.txt ${PROJECT_VERSION})

# The tests run under wine, in a wine prefix of the build's own, with the bundled Qt's DLLs.
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(qt_bin ${qt_core_dll} DIRECTORY)
get_filename_component(qt_prefix ${qt_bin} DIRECTORY)
if(CMAKE_CROSSCOMPILING)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env HUFFMAN_LAB_WINDOWS_QT=${qt_prefix}
        WINEPREFIX=${PROJECT_BINARY_DIR}/wine ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()

# One resource script per executable, from huffman-lab.rc.in. windres reads the script as UTF-8.
function(huffman_lab_windows_resources target description icon)
    set(RC_TARGET ${target})
    set(RC_FILE_NAME ${target}.exe)
    set(RC_DESCRIPTION "${description}")
    if(icon)
        set(RC_ICON_LINE "IDI_ICON1 ICON \"${icon}\"")
    else()
        set(RC_ICON_LINE "")
    endif()
    set(rc ${PROJECT_BINARY_DIR}/${target}.rc)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/huffman-lab.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()

set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
set_target_properties(huffman-lab PROPERTIES WIN32_EXECUTABLE ON)
huffman_lab_windows_resources(huffman-lab "Эффективное кодирование и цифровое представление изображений"
    ${PROJECT_SOURCE_DIR}/resources/icons/images/QuarnelClass.ico)
if(TARGET huffman-lab-key)
    huffman_lab_windows_resources(huffman-lab-key "Ключ преподавателя к лабораторной работе" "")
endif()

# The install tree: the executables at its top, as Qt's own deployment lays them out.
install(TARGETS huffman-lab RUNTIME DESTINATION .)
if(TARGET huffman-lab-key)
    install(TARGETS huffman-lab-key RUNTIME DESTINATION .)
endif()
foreach(module Core Gui Widgets PrintSupport)
    install(FILES ${qt_bin}/Qt6${module}.dll DESTINATION .)
endforeach()
install(FILES ${qt_prefix}/plugins/platforms/qwindows.dll DESTINATION plugins/platforms)
install(FILES ${qt_prefix}/plugins/styles/qwindowsvistastyle.dll DESTINATION plugins/styles)
install(FILES ${qt_prefix}/plugins/imageformats/qjpeg.dll ${qt_prefix}/plugins/imageformats/qico.dll
        DESTINATION plugins/imageformats)
install(FILES ${qt_prefix}/translations/qtbase_ru.qm DESTINATION translations)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt.conf DESTINATION .)

# The MinGW runtime the compiler links against, found where Debian's mingw-w64 puts it.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_seh-1.dll
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
find_file(libwinpthread libwinpthread-1.dll
          PATHS /usr/x86_64-w64-mingw32/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
foreach(dll ${libstdcxx} ${libgcc} ${libwinpthread})
    if(NOT EXISTS "${dll}")
        message(FATAL_ERROR "MinGW runtime DLL not found: ${dll}")
    endif()
    install(FILES ${dll} DESTINATION .)
endforeach()

# The licences: the program's, Qt's, and how the bundled Qt was built.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(DIRECTORY ${qt_prefix}/LICENSES/ DESTINATION licenses/qt)
install(FILES ${qt_prefix}/BUILDINFO.txt DESTINATION licenses/qt RENAME QT-BUILD.txt)
if(EXISTS ${qt_prefix}/licenses-libjpeg-turbo)
    install(DIRECTORY ${qt_prefix}/licenses-libjpeg-turbo/ DESTINATION licenses/libjpeg-turbo)
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt-flags.txt ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake
        DESTINATION licenses/qt)
# The built-in pictures' sources and licences: the Debian copyright file names each picture's,
# and CC0's text goes beside it (Debian's systems have it in common-licenses).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION licenses/pictures
        RENAME COPYRIGHT.txt)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/licenses/CC0-1.0.txt DESTINATION licenses/pictures)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/README-windows.txt DESTINATION . RENAME README.txt)
