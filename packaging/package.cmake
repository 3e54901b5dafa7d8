# Release packages (cpack, run by scripts/package.sh): the Windows build as a
# zip of the program, the README and the licence; the Linux build as a Debian
# package of what cmake --install puts under /usr.
set(CPACK_PACKAGE_NAME brenvik)
set(CPACK_PACKAGE_VENDOR "The Brenvik authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# Installing (and so packing) needs only what it installs, which
# scripts/package.sh builds first; otherwise cpack builds every test of the
# tree, minutes of work no package holds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  install(TARGETS brenvik RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGE_FILE_NAME brenvik-${PROJECT_VERSION}-windows-x86_64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME brenvik_${PROJECT_VERSION}_amd64.deb)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Brenvik authors <brenvik@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The first line is the synopsis; the rest the long description.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "split timer for speedruns, over the game
Brenvik opens one small always-on-top window over the game that shows a
running timer, the personal best and the list of named segments, each
compared with its best time in colour. Three system-wide hotkeys drive it,
so the game keeps the focus. It runs on X11 and under XWayland.")
  # Dependencies from the binary's libraries, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
