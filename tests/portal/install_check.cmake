cmake_minimum_required(VERSION 3.25)
# Installs the build into a fresh prefix and checks what a desktop needs:
# the program, brenvik.desktop starting it by its installed path, the
# icons, the man page and the licence.
# cmake -DBUILD=<build dir> -DPREFIX=<empty dir> -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}" RESULT_VARIABLE failed
                OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()
if(NOT EXISTS "${PREFIX}/bin/brenvik")
  message(FATAL_ERROR "no ${PREFIX}/bin/brenvik")
endif()
file(STRINGS "${PREFIX}/share/applications/brenvik.desktop" entry)
foreach(line "[Desktop Entry]" "Type=Application" "Name=Brenvik" "Icon=brenvik")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "brenvik.desktop lacks ${line}: ${entry}")
  endif()
endforeach()
# The entry's command ends by starting the installed program.
list(FILTER entry INCLUDE REGEX "^Exec=")
if(NOT entry MATCHES " \"${PREFIX}/bin/brenvik\"$")
  message(FATAL_ERROR "brenvik.desktop does not start ${PREFIX}/bin/brenvik: ${entry}")
endif()
foreach(file share/icons/hicolor/256x256/apps/brenvik.png share/icons/hicolor/16x16/apps/brenvik.png
             share/icons/hicolor/scalable/apps/brenvik.svg share/man/man1/brenvik.1.gz
             share/doc/brenvik/copyright)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "no ${PREFIX}/${file}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
