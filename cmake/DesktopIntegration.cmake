# SPDX-License-Identifier: GPL-3.0-or-later
# What a desktop needs to list, start and describe the program: the desktop
# entry, AppStream metadata, icons, manual pages and the licence.
set(desktop_source ${CMAKE_SOURCE_DIR}/app/desktop)
set(icon_source ${CMAKE_SOURCE_DIR}/app/ui/resources)
set(TREMOLIX_APP_ID example.tremolix.Tremolix)

configure_file(${desktop_source}/${TREMOLIX_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/desktop/${TREMOLIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${desktop_source}/${TREMOLIX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${TREMOLIX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${icon_source}/tremolix.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
foreach(size 16 32 48 128 256)
  install(FILES ${icon_source}/icons/tremolix-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tremolix.png)
endforeach()
install(FILES ${icon_source}/icons/tremolix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

install(FILES ${CMAKE_SOURCE_DIR}/docs/tremolix.1 ${CMAKE_SOURCE_DIR}/docs/tremolix-cli.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tremolix)
