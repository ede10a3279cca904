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
