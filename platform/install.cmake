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
