# cmake --install: the program, and the desktop entry that desktop portals
# match our application id ("brenvik") against.
include(GNUInstallDirs)
install(TARGETS brenvik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The entry names the installed program by its full path, and the prefix is
# known only when installing (cmake --install --prefix ~/.local).
install(CODE "
  set(BRENVIK_EXEC \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/brenvik\")
  set(entry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/brenvik.desktop\")
  message(STATUS \"Installing: \${entry}\")
  configure_file(\"${CMAKE_CURRENT_LIST_DIR}/brenvik.desktop.in\" \"\${entry}\" @ONLY)
")
foreach(size ${BRENVIK_ICON_SIZES})
  install(FILES ${BRENVIK_FILES}/icons/${size}.png RENAME brenvik.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/brenvik.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${BRENVIK_FILES}/brenvik.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Debian's places: the licence as the package's copyright file, beside the
# changelog.
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE RENAME copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brenvik)
install(FILES ${BRENVIK_FILES}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brenvik)
