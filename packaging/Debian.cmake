# Debian package of the installed files: cd build && cpack -G DEB
# The install rules give the files; deb/stage.cmake moves them into Debian's
# layout and adds copyright and changelog.gz.

set(TAVELOND_PACKAGE_MAINTAINER
    "The Tavelond developers <maintainers@users.noreply.c-seed-631a8b2c.example>"
    CACHE STRING "Maintainer field of the Debian package and its changelog")

# copyright in Debian's machine-readable format, its Zlib text taken from
# LICENSE: the holder line, then the licence indented by one space with
# blank lines written as " .".
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" licence)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/LICENSE")
if(NOT licence MATCHES "^Copyright \\(C\\) ([^\n]+)\n\n(.+)$")
  message(FATAL_ERROR "LICENSE does not start with a 'Copyright (C) YEAR HOLDER' line")
endif()
set(TAVELOND_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" licence)
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " TAVELOND_ZLIB_TEXT " ${licence}")
set(deb_dir "${PROJECT_BINARY_DIR}/deb")
configure_file("${CMAKE_CURRENT_LIST_DIR}/deb/copyright.in" "${deb_dir}/copyright" @ONLY)
configure_file("${CMAKE_CURRENT_LIST_DIR}/deb/changelog.in" "${deb_dir}/changelog" @ONLY)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavelond)
set(CPACK_PACKAGE_VENDOR "The Tavelond developers")
set(CPACK_PACKAGE_CONTACT "${TAVELOND_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/deb/stage.cmake")
set(CPACK_TAVELOND_DEB_DIR "${deb_dir}")
set(CPACK_TAVELOND_STRIP "${CMAKE_STRIP}")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# cpack puts the summary first and indents the lines below it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "physics toy: grow a springy structure from four anchors")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
A dashed white terrain carries four red anchors. Click two joints, then a
free spot: a new joint appears there, tied to both by springs. Gravity,
damping and the terrain make the structure sag, sway and settle. Grow it
as high and wide as it will hold.")

include(CPack)
