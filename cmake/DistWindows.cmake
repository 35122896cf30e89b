# The Windows download: both programs, README.txt and the licence when the
# tree has one, zipped by CPack as mendrix-<version>-windows-x64.zip
# (make dist-windows). The version is the project's own.
configure_file(${PROJECT_SOURCE_DIR}/docs/README-windows.txt.in ${CMAKE_BINARY_DIR}/dist/README.txt @ONLY
  NEWLINE_STYLE CRLF)
install(TARGETS mendrix mendrix-cli RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/dist/README.txt DESTINATION .)
foreach(licence LICENSE LICENSE.txt LICENCE COPYING)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${licence})
    install(FILES ${PROJECT_SOURCE_DIR}/${licence} DESTINATION . RENAME LICENSE.txt)
  endif()
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME mendrix)
set(CPACK_PACKAGE_FILE_NAME mendrix-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
