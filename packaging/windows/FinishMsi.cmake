# cmake -P FinishMsi.cmake: builds the installer with wixl from mendrix.wxs,
# then writes into its tables, with msibuild (the same msitools), what
# wixl 0.101 cannot express or gets wrong:
#  - Registry: wixl stores the root HKMU as 4, which no installer knows;
#    -1 is HKMU (the user's hive, or the machine's for all users).
#  - Upgrade: older versions up to and including this one are replaced (a
#    rebuild of the same version too), keeping the features chosen for them.
#    The attributes belong to the row's key, so the row is written anew.
#  - InstallExecuteSequence: wixl runs RemoveExistingProducts after
#    InstallFinalize; the old version goes first, right after InstallValidate.
#  - Environment: wixl has no Environment element. The "Command line"
#    feature appends the install folder to PATH (the user's, or the system's
#    for all users, each component under its condition) and removes it again.
# Defined by the caller: WIXL, MSIBUILD, SOURCE, INCLUDE_DIR, OUTPUT,
# VERSION, UPGRADE_CODE, WEB_ADDRESS, PROGRAMS, README, LICENCE,
# THIRD_PARTY, ICON, NOTIFY_DLL.
set(msi "${OUTPUT}.part")
file(REMOVE "${msi}")
# wixl looks for the files it packs below its working folder only: it runs
# in the root folder, with every path made relative to it.
foreach(file PROGRAMS README LICENCE THIRD_PARTY ICON NOTIFY_DLL)
  file(RELATIVE_PATH ${file} / "${${file}}")
endforeach()
execute_process(
  COMMAND "${WIXL}" -a x64 -I "${INCLUDE_DIR}" -o "${msi}"
    -D "Version=${VERSION}" -D "UpgradeCode=${UPGRADE_CODE}" -D "WebAddress=${WEB_ADDRESS}"
    -D "Programs=${PROGRAMS}" -D "Readme=${README}" -D "Licence=${LICENCE}" -D "ThirdParty=${THIRD_PARTY}"
    -D "Icon=${ICON}" -D "NotifyDll=${NOTIFY_DLL}" "${SOURCE}"
  WORKING_DIRECTORY /
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT EXISTS "${msi}")
  message(FATAL_ERROR "wixl could not build ${OUTPUT}:\n${errors}")
endif()

string(TOUPPER "{${UPGRADE_CODE}}" upgrade)
# One query at a time: PATH's value holds a semicolon, which a CMake list would split.
function(query text)
  execute_process(COMMAND "${MSIBUILD}" "${msi}" -q "${text}" RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(NOT status EQUAL 0)
    file(REMOVE "${msi}")
    message(FATAL_ERROR "msibuild refused: ${text}")
  endif()
endfunction()
query("UPDATE `Registry` SET `Root` = -1 WHERE `Root` = 4")
query("DELETE FROM `Upgrade` WHERE `ActionProperty` = 'OLDERFOUND'")
# 769: from the minimum up to and including the maximum, features migrated.
query("INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMin`, `VersionMax`, `Attributes`, `ActionProperty`) \
VALUES ('${upgrade}', '0.0', '${VERSION}', 769, 'OLDERFOUND')")
query("UPDATE `InstallExecuteSequence` SET `Sequence` = 1401 WHERE `Action` = 'RemoveExistingProducts'")
query("CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, \
`Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)")
# "=-": set at install, taken out at uninstall; "*": the system's variable; "[~];" appends.
query("INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`) \
VALUES ('UserPath', '=-PATH', '[~];[INSTALLDIR]', 'UserPath')")
query("INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`) \
VALUES ('MachinePath', '=-*PATH', '[~];[INSTALLDIR]', 'MachinePath')")
query("UPDATE `Component` SET `Condition` = 'ALLUSERS<>1' WHERE `Component` = 'UserPath'")
query("UPDATE `Component` SET `Condition` = 'ALLUSERS=1' WHERE `Component` = 'MachinePath'")
query("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveEnvironmentStrings', 3300)")
query("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteEnvironmentStrings', 5200)")
file(RENAME "${msi}" "${OUTPUT}")
