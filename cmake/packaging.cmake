# Installing the program and its manual page, and the Debian package, which
# also carries the copyright and the changelog. The manual page and the
# changelog are gzipped as Debian wants them, with -n, so that the bytes
# depend only on the text.
include(GNUInstallDirs)

find_program(KESTRION_GZIP gzip REQUIRED)
set(gzipped ${CMAKE_CURRENT_BINARY_DIR}/gzipped)
file(MAKE_DIRECTORY ${gzipped})
foreach(text man/kestrion.1 packaging/changelog)
  get_filename_component(name ${text} NAME)
  execute_process(COMMAND ${KESTRION_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/${text}
                  OUTPUT_FILE ${gzipped}/${name}.gz COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${text})
endforeach()

install(TARGETS kestrion RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${gzipped}/kestrion.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${gzipped}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME kestrion)
set(CPACK_PACKAGE_VENDOR "Kestrion")
set(CPACK_PACKAGE_CONTACT "Kestrion maintainers <maintainers@kestrion.invalid>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "each star's share of a star pair's light at one wavelength")
set(CPACK_PACKAGE_DESCRIPTION "Kestrion asks for the radii and temperatures of two stars and one
wavelength, treats each star as a black body (Planck's law), and prints what
share of the pair's light at that wavelength each star gives, cycle after
cycle. Its digits are exact: single-precision stored values and 64-bit
significand intermediates, the same bytes on every platform.")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package_timestamp.cmake)
set(CPACK_KESTRION_SOURCE_DIR ${PROJECT_SOURCE_DIR})
if(CMAKE_CROSSCOMPILING)
  # The target's architecture, not the build machine's; its multiarch
  # libraries let dpkg-shlibdeps work out the dependencies, and CMake
  # strips with the cross binutils.
  execute_process(COMMAND dpkg-architecture -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
include(CPack)
