# The Windows downloads, both named mendrix-<version>-windows-x64 with the
# project's own version: the installer (.msi, wixl, built with the programs
# into dist/) and the zip (CPack, make dist-windows). Both carry the programs
# stripped, README.txt, LICENSE.txt and THIRD-PARTY.txt (CRLF, for Notepad).
# The debug information stays in the build, dist/debug/<program>.exe.debug,
# which each shipped program names in its debug link: a crash address can
# be read with the build at hand.
set(MENDRIX_DIST ${CMAKE_BINARY_DIR}/dist)
set(MENDRIX_DIST_NAME mendrix-${PROJECT_VERSION}-windows-x64)
# Stable for good: every version of the installer replaces the one before.
set(MENDRIX_UPGRADE_CODE 84805188-3C17-4B98-B15C-3600219394A5)

configure_file(${PROJECT_SOURCE_DIR}/docs/README-windows.txt.in ${MENDRIX_DIST}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${MENDRIX_DIST}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/THIRD-PARTY.txt ${MENDRIX_DIST}/THIRD-PARTY.txt @ONLY
  NEWLINE_STYLE CRLF)

set(MENDRIX_SHIPPED ${MENDRIX_DIST}/programs)
set(debug ${MENDRIX_DIST}/debug)
set(shipped)
foreach(program mendrix mendrix-cli)
  add_custom_command(OUTPUT ${MENDRIX_SHIPPED}/${program}.exe ${debug}/${program}.exe.debug
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MENDRIX_SHIPPED} ${debug}
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${program}> ${program}.exe.debug
    # The link holds the name and a checksum of the file, found here by that name.
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${program}.exe.debug $<TARGET_FILE:${program}>
      ${MENDRIX_SHIPPED}/${program}.exe
    WORKING_DIRECTORY ${debug}
    DEPENDS ${program}
    COMMENT "Stripping ${program}.exe, its debug information into dist/debug"
    VERBATIM)
  list(APPEND shipped ${MENDRIX_SHIPPED}/${program}.exe)
endforeach()

# The installer tells the shell that file types changed, as the window's
# menu entry does: a DLL of one function, run by the installer, not installed.
add_library(mendrix-notify-shell MODULE ${PROJECT_SOURCE_DIR}/packaging/windows/NotifyShell.cpp)
set_target_properties(mendrix-notify-shell PROPERTIES PREFIX "")
target_link_options(mendrix-notify-shell PRIVATE -static -static-libgcc)
target_link_libraries(mendrix-notify-shell PRIVATE shell32)

# The file type's registry values, from the association's own code (run
# under Wine: it is built for Windows like the rest).
add_executable(mendrix-wix-association ${PROJECT_SOURCE_DIR}/packaging/windows/WriteWixAssociation.cpp)
target_link_libraries(mendrix-wix-association PRIVATE mendrix_association)
set(wix ${MENDRIX_DIST}/wix)
add_custom_command(OUTPUT ${wix}/association.wxi
  COMMAND ${CMAKE_COMMAND} -E make_directory ${wix}
  COMMAND mendrix-wix-association association.wxi MendrixExe
  WORKING_DIRECTORY ${wix}
  DEPENDS mendrix-wix-association
  VERBATIM)

find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
# mendrix_msi(OUTPUT VERSION README): the installer of VERSION with that
# README.txt and this build's programs.
function(mendrix_msi output version readme)
  set(source ${PROJECT_SOURCE_DIR}/packaging/windows)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DWIXL=${WIXL} -DMSIBUILD=${MSIBUILD} -DSOURCE=${source}/mendrix.wxs
      -DINCLUDE_DIR=${wix} -DOUTPUT=${output} -DVERSION=${version} -DUPGRADE_CODE=${MENDRIX_UPGRADE_CODE}
      -DWEB_ADDRESS=${MENDRIX_WEB_ADDRESS} -DPROGRAMS=${MENDRIX_SHIPPED} -DREADME=${readme}
      -DLICENCE=${MENDRIX_DIST}/LICENSE.txt -DTHIRD_PARTY=${MENDRIX_DIST}/THIRD-PARTY.txt
      -DICON=${PROJECT_SOURCE_DIR}/ui/art/mendrix.ico -DNOTIFY_DLL=$<TARGET_FILE:mendrix-notify-shell>
      -P ${source}/FinishMsi.cmake
    DEPENDS ${source}/mendrix.wxs ${source}/FinishMsi.cmake ${wix}/association.wxi ${shipped} ${readme}
      ${MENDRIX_DIST}/LICENSE.txt ${MENDRIX_DIST}/THIRD-PARTY.txt ${PROJECT_SOURCE_DIR}/ui/art/mendrix.ico
      mendrix-notify-shell
    COMMENT "Building the installer ${output}"
    VERBATIM)
endfunction()
set(MENDRIX_MSI ${MENDRIX_DIST}/${MENDRIX_DIST_NAME}.msi)
mendrix_msi(${MENDRIX_MSI} ${PROJECT_VERSION} ${MENDRIX_DIST}/README.txt)
add_custom_target(mendrix-msi ALL DEPENDS ${MENDRIX_MSI})

# The zip: the same files, unpacked anywhere.
install(PROGRAMS ${shipped} DESTINATION .)
install(FILES ${MENDRIX_DIST}/README.txt ${MENDRIX_DIST}/LICENSE.txt ${MENDRIX_DIST}/THIRD-PARTY.txt DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME mendrix)
set(CPACK_PACKAGE_FILE_NAME ${MENDRIX_DIST_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
