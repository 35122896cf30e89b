# make package: the installed tree under /usr as dist/mendrix_<version>_<arch>.deb.
# Depends is computed from the binaries by dpkg-shlibdeps; the desktop, MIME
# and icon caches are refreshed by the triggers Debian already has, so the
# package needs no maintainer scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mendrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/dist)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "MENDRIX developers <mendrix@${MENDRIX_WEB_ADDRESS}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write KDX patches into CD image files")
set(CPACK_PACKAGE_DESCRIPTION "\
MENDRIX writes KDX binary patches (format versions 1.0, 2.0 and 3.0) into CD
image files in place. It lists what a patch holds, validates the image
against the patch's stored size and block before it writes, and takes a
version 3.0 patch with undo data back out of an image. Nothing is written
unless the whole patch is sound.

The package holds the desktop program mendrix (Qt 6) and the command-line
program mendrix-cli, which also makes new patches.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://${MENDRIX_WEB_ADDRESS}/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Debian's own layout inside the staged tree: compressed manual pages, the
# copyright file and the changelog.
set(MENDRIX_PACKAGE_DOCS ${CMAKE_CURRENT_SOURCE_DIR}/deb)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/DebianLayout.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/DebianLayout.cmake @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_BINARY_DIR}/DebianLayout.cmake)
include(CPack)

# The package's own check; it skips until `make package` has built the
# package from the current build.
find_program(DPKG_DEB dpkg-deb)
if(DPKG_DEB)
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
  add_test(NAME package COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-package
    ${PROJECT_SOURCE_DIR}/dist/mendrix_${PROJECT_VERSION}_${DEB_ARCH}.deb $<TARGET_FILE:mendrix-cli> ${PROJECT_VERSION}
    ${PROJECT_SOURCE_DIR}/LICENSE)
  set_tests_properties(package PROPERTIES SKIP_RETURN_CODE 77)
endif()
