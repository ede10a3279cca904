# The Windows build runs its tools and tests under Wine.
find_program(WINE wine REQUIRED)

# What every program of the build loads besides Windows itself: Qt, and the
# mingw runtime, asked of the compiler rather than of a GCC version.
set(windows_qt_bin ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
set(windows_runtime_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    file(REAL_PATH ${path} path)
    list(APPEND windows_runtime_dlls ${path})
endforeach()

# Qt's Russian catalogue, which the Windows program reads from a folder beside
# it: the system's own file, from Debian's package of Qt's translations.
set(windows_qt_russian /usr/share/qt6/translations/qtbase_ru.qm)
if(NOT EXISTS ${windows_qt_russian})
    message(FATAL_ERROR "${windows_qt_russian} is missing: install qt6-translations-l10n (scripts/install-deps run)")
endif()

set(wine_prefix ${PROJECT_BINARY_DIR}/wine)
set(font_dir "Z:\\usr\\share\\fonts\\truetype\\dejavu")
set(wine_path)
foreach(file IN LISTS windows_runtime_dlls)
    cmake_path(GET file PARENT_PATH dir)
    list(APPEND wine_path ${dir})
endforeach()
list(PREPEND wine_path ${windows_qt_bin})
list(REMOVE_DUPLICATES wine_path)
list(TRANSFORM wine_path PREPEND "Z:")
list(TRANSFORM wine_path REPLACE "/" "\\\\")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${PROJECT_BINARY_DIR}/wine-run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)
