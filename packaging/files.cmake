# Files made at build time from their sources in packaging/: the icon drawn
# once as SVG and rendered to the freedesktop theme's PNG sizes (Linux) or to
# a Windows .ico, and on Linux the compressed man page and changelog that a
# Debian package carries.
set(BRENVIK_PACKAGING ${CMAKE_CURRENT_LIST_DIR})
set(BRENVIK_FILES ${CMAKE_BINARY_DIR}/packaging)
set(BRENVIK_ICON_SIZES 16 24 32 48 64 128 256)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

set(made)
foreach(size ${BRENVIK_ICON_SIZES})
  set(png ${BRENVIK_FILES}/icons/${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${BRENVIK_FILES}/icons
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${BRENVIK_PACKAGING}/brenvik.svg
    DEPENDS ${BRENVIK_PACKAGING}/brenvik.svg VERBATIM)
  list(APPEND made ${png})
endforeach()

if(WIN32)
  # Explorer picks the size it needs; the largest is kept as PNG, as Windows
  # stores 256 px icons.
  find_program(ICOTOOL icotool REQUIRED)
  set(BRENVIK_ICO ${BRENVIK_FILES}/brenvik.ico)
  set(small)
  foreach(size 16 24 32 48 64 128)
    list(APPEND small ${BRENVIK_FILES}/icons/${size}.png)
  endforeach()
  add_custom_command(OUTPUT ${BRENVIK_ICO}
    COMMAND ${ICOTOOL} -c -o ${BRENVIK_ICO} ${small} --raw=${BRENVIK_FILES}/icons/256.png
    DEPENDS ${made} VERBATIM)
  set(BRENVIK_MANIFEST ${BRENVIK_FILES}/brenvik.exe.manifest)
  configure_file(${CMAKE_SOURCE_DIR}/src/brenvik.exe.manifest.in ${BRENVIK_MANIFEST} @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/src/brenvik.rc.in ${BRENVIK_FILES}/brenvik.rc @ONLY)
  set_source_files_properties(${BRENVIK_FILES}/brenvik.rc PROPERTIES
    OBJECT_DEPENDS "${BRENVIK_ICO};${BRENVIK_MANIFEST}")
else()
  # gzip -n: no time stamp, so the same sources give the same package.
  configure_file(${BRENVIK_PACKAGING}/changelog.in ${BRENVIK_FILES}/changelog @ONLY)
  foreach(name changelog brenvik.1)
    if(name STREQUAL changelog)
      set(source ${BRENVIK_FILES}/changelog)
    else()
      set(source ${BRENVIK_PACKAGING}/${name})
    endif()
    add_custom_command(OUTPUT ${BRENVIK_FILES}/${name}.gz
      COMMAND gzip -9nc ${source} > ${BRENVIK_FILES}/${name}.gz
      DEPENDS ${source})
    list(APPEND made ${BRENVIK_FILES}/${name}.gz)
  endforeach()
  add_custom_target(brenvik_files DEPENDS ${made})
endif()
