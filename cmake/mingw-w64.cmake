# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix threads, so
# std::thread works); programs built here run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

# Qt for Windows, built by scripts/build-qt-windows, is found by its prefix.
if(NOT KELVARINE_QT_WINDOWS AND DEFINED ENV{KELVARINE_QT_WINDOWS})
    set(KELVARINE_QT_WINDOWS $ENV{KELVARINE_QT_WINDOWS})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KELVARINE_QT_WINDOWS)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${KELVARINE_QT_WINDOWS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
