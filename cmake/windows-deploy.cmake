# A Windows installation runs as it is unpacked: beside kelvarine.exe the Qt
# DLLs it loads, the plugins in the folders Qt looks for next to the program,
# and the mingw runtime.
set(qt_bin ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
set(qt_plugins ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS})
install(FILES ${qt_bin}/Qt6Core.dll ${qt_bin}/Qt6Gui.dll ${qt_bin}/Qt6Widgets.dll DESTINATION .)
install(FILES ${qt_plugins}/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${qt_plugins}/styles/qwindowsvistastyle.dll DESTINATION styles)
# Both icons are ICO files.
install(FILES ${qt_plugins}/imageformats/qico.dll DESTINATION imageformats)
install(FILES
    /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
    /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
    /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll
    DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/sample/windows/readme.txt DESTINATION .)
