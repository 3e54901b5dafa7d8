# The shell: written once against the Win32 API, compiled unchanged on
# Windows (real Win32) and on Linux (platform/ layer).
file(GLOB BRENVIK_SHELL_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/src/shell/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/src/hotkeys/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/src/editor/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/src/render/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/src/window/overlay*.cpp
)
# An object library, so every object (the exported subclass functions too)
# reaches the executable.
add_library(brenvik_shell OBJECT ${BRENVIK_SHELL_SOURCES})
target_link_libraries(brenvik_shell PUBLIC brenvik_core)
target_include_directories(brenvik_shell PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/src)

if(WIN32)
  target_link_libraries(brenvik_shell PUBLIC user32 gdi32 comctl32 kernel32)
  add_executable(brenvik WIN32 src/main.cpp ${BRENVIK_FILES}/brenvik.rc)
  target_link_libraries(brenvik PRIVATE brenvik_shell)
else()
  target_link_libraries(brenvik_shell PUBLIC win32layer)
  add_executable(brenvik src/main.cpp)
  target_link_libraries(brenvik PRIVATE brenvik_shell win32layer_x11)
  # What cmake --install puts beside the program.
  add_dependencies(brenvik brenvik_files)
endif()
