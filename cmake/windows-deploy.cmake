# A Windows installation runs as it is unpacked: beside kelvarine.exe the Qt
# DLLs it loads, the plugins in the folders Qt looks for next to the program,
# and the mingw runtime; in licenses/ the licence texts of each, and an index
# of which text covers which file.
set(qt_plugins ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS})
set(qt_notices ${QT6_INSTALL_PREFIX}/notices)
if(NOT EXISTS ${qt_notices}/third-party.txt)
    message(FATAL_ERROR "${QT6_INSTALL_PREFIX} carries no licence notices: build Qt for Windows again with scripts/build-qt-windows")
endif()
set(gcc_runtime_copyright /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright)
set(mingw_runtime_copyright /usr/share/doc/mingw-w64-x86-64-dev/copyright)

set(qt_texts "LGPL-3.0.txt GPL-3.0.txt Qt-third-party.txt Qt-source.txt")
set(licence_index "Which licence texts in this folder cover which file of the program.\r\n\r\nkelvarine.exe: ../LICENSE.txt\r\n")
macro(ship file destination texts)
    install(FILES ${file} DESTINATION ${destination})
    get_filename_component(name "${file}" NAME)
    if("${destination}" STREQUAL ".")
        string(APPEND licence_index "${name}: ${texts}\r\n")
    else()
        string(APPEND licence_index "${destination}/${name}: ${texts}\r\n")
    endif()
endmacro()

foreach(module Core Gui Widgets)
    ship(${windows_qt_bin}/Qt6${module}.dll . ${qt_texts})
endforeach()
ship(${qt_plugins}/platforms/qwindows.dll platforms ${qt_texts})
ship(${qt_plugins}/styles/qwindowsvistastyle.dll styles ${qt_texts})
# Both icons are ICO files.
ship(${qt_plugins}/imageformats/qico.dll imageformats ${qt_texts})
ship(${windows_qt_russian} translations "Qt-translations.txt GPL-3.0.txt")
# The program's own catalogue, installed with the program.
string(APPEND licence_index "translations/kelvarine_ru.qm: ../LICENSE.txt\r\n")
foreach(dll IN LISTS windows_runtime_dlls)
    if(dll MATCHES "winpthread")
        ship(${dll} . "mingw-w64-runtime.txt")
    else()
        ship(${dll} . "gcc-runtime.txt GPL-3.0.txt")
    endif()
endforeach()

install(FILES ${qt_notices}/LGPL-3.0.txt ${qt_notices}/GPL-3.0.txt DESTINATION licenses)
install(FILES ${qt_notices}/third-party.txt DESTINATION licenses RENAME Qt-third-party.txt)
install(FILES ${qt_notices}/SOURCE.txt DESTINATION licenses RENAME Qt-source.txt)
# The catalogue's terms and where its source can be had, from its package.
execute_process(COMMAND dpkg-query -W "-f=\${source:Package} \${source:Version} \${source:Upstream-Version}" qt6-translations-l10n
                OUTPUT_VARIABLE translations_package COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(translations_package UNIX_COMMAND "${translations_package}")
list(GET translations_package 0 translations_source)
list(GET translations_package 1 translations_version)
list(GET translations_package 2 translations_upstream)
file(READ /usr/share/doc/qt6-translations-l10n/copyright translations_copyright)
configure_file(${CMAKE_CURRENT_LIST_DIR}/qt-translations.txt.in ${PROJECT_BINARY_DIR}/Qt-translations.txt @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/Qt-translations.txt DESTINATION licenses)
install(FILES ${gcc_runtime_copyright} DESTINATION licenses RENAME gcc-runtime.txt)
install(FILES ${mingw_runtime_copyright} DESTINATION licenses RENAME mingw-w64-runtime.txt)
file(WRITE ${PROJECT_BINARY_DIR}/licenses-README.txt "${licence_index}")
install(FILES ${PROJECT_BINARY_DIR}/licenses-README.txt DESTINATION licenses RENAME README.txt)
