# Where a Linux desktop finds the program: the binary, its entry in the application menu, its
# icon, the software-centre description and the help page.
include(GNUInstallDirs)

set(TIDEWELL_APP_ID org.example.Tidewell)

install(TARGETS tidewell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/res/desktop/${TIDEWELL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/res/icons/${TIDEWELL_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/res/desktop/${TIDEWELL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The program shows the copies compiled into it; these are for reading in a browser.
install(FILES ${PROJECT_SOURCE_DIR}/res/help/tidewell-help.html ${PROJECT_SOURCE_DIR}/res/help/tidewell-help.ko.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tidewell)
