# Desktop integration: the menu entry and the program's icon in their XDG
# places. The two programs themselves are installed into bin/ beside their
# targets.
include(GNUInstallDirs)
install(FILES ${CMAKE_SOURCE_DIR}/data/pelicard.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/pelicard.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
