# The Windows build runs its tools and tests under Wine.
find_program(WINE wine REQUIRED)
set(qt_bin ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
set(mingw_runtime /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
set(wine_prefix ${PROJECT_BINARY_DIR}/wine)
set(font_dir "Z:\\usr\\share\\fonts\\truetype\\dejavu")
set(wine_path)
foreach(dir IN LISTS qt_bin mingw_runtime)
    string(REPLACE "/" "\\" dir "Z:${dir}")
    list(APPEND wine_path ${dir})
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${PROJECT_BINARY_DIR}/wine-run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)
