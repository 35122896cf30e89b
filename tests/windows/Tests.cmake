# The Windows build's tests, each executable one CTest test run through Wine
# (a Wine start per test case would cost minutes). Suites that need POSIX
# processes, resource limits, permissions or mounts stay on Linux.
add_library(mendrix_testsupport STATIC support/PatchBuilder.cpp support/TempFiles.cpp support/RunProgram_win32.cpp
  support/RawSectors.cpp support/FaultyFiles.cpp support/MemoryFiles.cpp support/CrashStates.cpp support/CueDump.cpp)
target_include_directories(mendrix_testsupport PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(mendrix_testsupport PUBLIC GTest::gtest mendrix_kdx mendrix_platform)

add_executable(kdx_tests kdx/FilesTest.cpp kdx/ImageCheckTest.cpp kdx/RecordBuilderTest.cpp kdx/CdSectorTest.cpp
  kdx/SectorScanTest.cpp kdx/ImageSectorsTest.cpp kdx/PatchWriterTest.cpp kdx/CueSheetTest.cpp kdx/CueImageTest.cpp
  kdx/ImageTest.cpp kdx/CueApplyTest.cpp kdx/FileSeamTest.cpp kdx/CrashStatesTest.cpp kdx/PatchOutputFaultsTest.cpp
  windows/FileLayerTest.cpp)
target_link_libraries(kdx_tests PRIVATE mendrix_kdx mendrix_texts mendrix_testsupport GTest::gtest_main)

add_executable(command_tests commands/LoadPatchTest.cpp commands/InfoLinesTest.cpp)
target_link_libraries(command_tests PRIVATE mendrix_commands mendrix_fake mendrix_testsupport GTest::gtest_main)

# The association against the fake, then against Wine's real registry.
add_executable(association_tests association/RegistryAssociationTest.cpp windows/RealRegistryTest.cpp)
target_link_libraries(association_tests PRIVATE mendrix_fake_registry mendrix_fake mendrix_testsupport
  GTest::gtest_main)

# The pictures through the target's own libjpeg-turbo (the form tests set
# POSIX environment variables and run on Linux).
add_executable(ui_tests ui/PicturesTest.cpp)
target_link_libraries(ui_tests PRIVATE mendrix_ui mendrix_jpeg mendrix_fake mendrix_testsupport GTest::gtest_main)

# The main window on the real controls, in process.
add_executable(win32_window_tests windows/Win32WindowTest.cpp windows/Win32ScalingTest.cpp)
target_link_libraries(win32_window_tests PRIVATE mendrix_desktop mendrix_testsupport GTest::gtest_main)

# mendrix-cli.exe against the same expected output, errors and status as on Linux.
find_package(nlohmann_json REQUIRED)
# The power-loss states run the commands in process on files in memory.
add_executable(cli_tests cli/CliTest.cpp cli/CliCheckTest.cpp cli/CliMakeTest.cpp cli/PowerLossTest.cpp)
target_link_libraries(cli_tests PRIVATE mendrix_testsupport mendrix_cli_commands nlohmann_json::nlohmann_json
  GTest::gtest_main)
target_compile_definitions(cli_tests PRIVATE MENDRIX_CLI="$<TARGET_FILE_NAME:mendrix-cli>")
add_dependencies(cli_tests mendrix-cli)

foreach(suite kdx_tests command_tests association_tests ui_tests cli_tests)
  add_test(NAME ${suite} COMMAND ${suite})
  set_tests_properties(${suite} PROPERTIES TIMEOUT 300)
endforeach()
# The shipped programs hold no test hook (strings of the build host reads them).
add_test(NAME no-test-hooks COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/check-no-test-hooks $<TARGET_FILE:mendrix-cli>
  $<TARGET_FILE:mendrix>)
# Windows are made without an X server: a prefix on Wine's null display driver.
add_test(NAME win32_window_tests
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run ${CMAKE_BINARY_DIR} --headless $<TARGET_FILE:win32_window_tests>)
set_tests_properties(win32_window_tests PROPERTIES TIMEOUT 300)

# mendrix-cli.exe beside the Linux mendrix-cli on the same inputs: the same
# output, errors, status and files (the Linux build: make build).
set(MENDRIX_HOST_CLI ${PROJECT_SOURCE_DIR}/build/bin/mendrix-cli CACHE FILEPATH "the Linux mendrix-cli to compare with")
add_test(NAME cli_parity COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/windows/cli-parity ${MENDRIX_HOST_CLI}
  $<TARGET_FILE:mendrix-cli> ${CMAKE_BINARY_DIR})
set_tests_properties(cli_parity PROPERTIES TIMEOUT 600)

# The downloads. The shipped programs' headers: hardened, stripped, DLL
# loading locked; the zip, once make dist-windows has built it.
add_test(NAME shipped_programs COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/windows/check-pe ${CMAKE_OBJDUMP}
  ${MENDRIX_SHIPPED} ${MENDRIX_DIST}/debug)
add_test(NAME windows_zip COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/windows/check-zip
  ${PROJECT_SOURCE_DIR}/dist/${MENDRIX_DIST_NAME}.zip ${MENDRIX_SHIPPED} ${PROJECT_VERSION})
set_tests_properties(windows_zip PROPERTIES SKIP_RETURN_CODE 77)

# The installer under Wine's msiexec, upgrading from an older version built
# from the same sources, and window-texts, which reads the window of the
# program the shell started.
function(older_installer output)
  set(PROJECT_VERSION 0.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/README-windows.txt.in ${CMAKE_CURRENT_BINARY_DIR}/older/README.txt @ONLY
    NEWLINE_STYLE CRLF)
  mendrix_msi(${output} ${PROJECT_VERSION} ${CMAKE_CURRENT_BINARY_DIR}/older/README.txt)
endfunction()
set(OLDER_MSI ${CMAKE_CURRENT_BINARY_DIR}/older/mendrix-0.1-windows-x64.msi)
older_installer(${OLDER_MSI})
add_custom_target(older_msi ALL DEPENDS ${OLDER_MSI})
add_dependencies(older_msi mendrix-msi)
add_executable(window_texts windows/WindowTexts.cpp)
target_link_libraries(window_texts PRIVATE mendrix_utf16)
target_link_options(window_texts PRIVATE -municode)
add_test(NAME installer COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/windows/check-installer ${CMAKE_BINARY_DIR}
  ${MENDRIX_MSI} ${OLDER_MSI} ${MENDRIX_SHIPPED} $<TARGET_FILE:window_texts> ${PROJECT_VERSION})
set_tests_properties(installer PROPERTIES TIMEOUT 600)
