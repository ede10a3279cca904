# A Windows installation runs as it is unpacked: beside kelvarine.exe the Qt
# DLLs it loads, the plugins in the folders Qt looks for next to the program,
# and the mingw runtime.
set(qt_plugins ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS})
install(FILES ${windows_qt_bin}/Qt6Core.dll ${windows_qt_bin}/Qt6Gui.dll ${windows_qt_bin}/Qt6Widgets.dll
        ${windows_runtime_dlls} DESTINATION .)
install(FILES ${qt_plugins}/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${qt_plugins}/styles/qwindowsvistastyle.dll DESTINATION styles)
# Both icons are ICO files.
install(FILES ${qt_plugins}/imageformats/qico.dll DESTINATION imageformats)
install(FILES ${PROJECT_SOURCE_DIR}/sample/windows/readme.txt DESTINATION .)
