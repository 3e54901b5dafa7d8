cmake_minimum_required(VERSION 3.25)
# Installs the build into a fresh prefix and checks what a desktop needs:
# the program, and brenvik.desktop starting it by its installed path.
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
foreach(line "[Desktop Entry]" "Type=Application" "Name=Brenvik" "Exec=\"${PREFIX}/bin/brenvik\"")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "brenvik.desktop lacks ${line}: ${entry}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
