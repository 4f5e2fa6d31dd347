# What `cmake --install` puts in place, and the Debian package made from it
# (`cmake --build <dir> --target package`, or `cpack -G DEB` in <dir>).
# Included at the end of the top-level CMakeLists.txt, once every program's
# target is known. dist/ holds the desktop entry, the MIME type, the icons
# (scripts/make-icons.sh), the manual pages and the Debian changelog and
# copyright.

set(dist_dir ${PROJECT_SOURCE_DIR}/dist)

# Parview starts Trajex from its own directory, so they share one bin/.
foreach(program Trajex Parview Shotlab)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION bin)
  endif()
endforeach()

# Parview's open dialog looks for ../share/quillmoor/examples beside itself.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION share/quillmoor/examples)
# Measured shots for `Shotlab range --table`: the men's tour averages.
install(FILES ${PROJECT_SOURCE_DIR}/data/clubs/tour-men.csv DESTINATION share/quillmoor/clubs)

if(TARGET Parview)
  install(FILES ${dist_dir}/parview.desktop DESTINATION share/applications)
  install(FILES ${dist_dir}/quillmoor.xml DESTINATION share/mime/packages)
  install(DIRECTORY ${dist_dir}/icons/hicolor DESTINATION share/icons)
endif()

# Manual pages and the changelog are installed compressed. gzip -n leaves out
# the name and time stamp, so the same source always gives the same bytes.
set(compressed_files "")
function(quillmoor_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9n -c ${source} > ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${source}"
    VERBATIM)
  set(compressed_files ${compressed_files} ${output} PARENT_SCOPE)
endfunction()

foreach(program Trajex Parview Shotlab)
  if(TARGET ${program})
    set(man_page ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
    quillmoor_gzip(${dist_dir}/man/${program}.1 ${man_page})
    install(FILES ${man_page} DESTINATION share/man/man1)
  endif()
endforeach()

set(changelog_gz ${CMAKE_BINARY_DIR}/doc/changelog.gz)
quillmoor_gzip(${dist_dir}/debian/changelog ${changelog_gz})
install(FILES ${changelog_gz} ${dist_dir}/debian/copyright DESTINATION share/doc/quillmoor)

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man ${CMAKE_BINARY_DIR}/doc)
add_custom_target(compressed_docs ALL DEPENDS ${compressed_files})

# The Debian package.
set(QUILLMOOR_MAINTAINER "Quillmoor Hills maintainers <maintainers@quillmoor.example>"
  CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmoor Hills")
set(CPACK_PACKAGE_CONTACT ${QUILLMOOR_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "golf shot simulator")
if(TARGET Parview)
  string(APPEND CPACK_PACKAGE_DESCRIPTION_SUMMARY " with a desktop viewer")
endif()
# Lines of the Debian description are kept under 80 columns by hand.
set(package_description "Quillmoor Hills computes golf shots on a small course and shows them: how
launch speed, angle, spin, wind and a tilted green change where the ball
goes.

Trajex is the console simulator: it reads a shot model from a data file and
writes the model with its trajectory and result measures to another.")
if(TARGET Parview)
  string(APPEND package_description "
Parview is a Qt window with a control panel and a plan and an elevation view
of the hole; it runs Trajex for every tee shot and putt and replays the ball.")
endif()
if(TARGET Shotlab)
  string(APPEND package_description "
Shotlab gives the numbers of a shot (carry, apex, hang time, break and more),
runs parameter sweeps and reads the green for the putt that drops.")
endif()
set(CPACK_PACKAGE_DESCRIPTION ${package_description})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
# `--target package_source`: the source tree without build directories,
# version control or demo output.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/build[^/]*/" "/\\.git$" "/\\.git/" "/demo/" "/out/")
include(CPack)
