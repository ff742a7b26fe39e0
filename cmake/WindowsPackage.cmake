# Installation and the two Windows packages, when building for Windows
# (cmake/windows-toolchain.cmake; scripts/windows does it all):
#
#   Pelko.exe                    the program
#   *.dll                        the Qt, OpenSSL, MinGW runtime and zlib DLLs
#                                it and the files below load
#   platforms\qwindows.dll       Qt's Windows platform plugin
#   styles\qwindowsvistastyle.dll
#   modules\pelko-dcmtk.dll      the DICOM module, when the program loads one
#   README.txt                   a few lines for the user (CRLF)
#
#   cd build-windows && cpack -G ZIP    -> Pelko-<version>-win64.zip, portable:
#                                          Settings.ini and Logs\ beside Pelko.exe
#   cd build-windows && cpack -G NSIS   -> Pelko-<version>-win64-setup.exe
#
# The installer adds Pelko.installed beside Pelko.exe, which makes Pelko keep
# its data in %APPDATA%\Pelko, and the administrator's Settings.ini, if one is
# given, as the seed of every user's first start:
#   Pelko-<version>-win64-setup.exe /S /SETTINGS=C:\path\to\Settings.ini
# or a Settings.ini beside the installer. Its uninstaller removes what it
# installed and leaves every %APPDATA%\Pelko alone.
if(NOT WIN32)
  return()
endif()

set(pelko_win "${PROJECT_BINARY_DIR}/packaging/windows")
configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in" "${pelko_win}/README.txt" @ONLY
               NEWLINE_STYLE CRLF)

install(PROGRAMS "$<TARGET_FILE:pelko>" DESTINATION . RENAME Pelko.exe)
# A module only when the program loads it from modules\ (the target is made
# then); otherwise DCMTK is inside Pelko.exe.
if(TARGET pelko_dicom_module)
  install(FILES "$<TARGET_FILE:pelko_dicom_module>" DESTINATION modules)
  set(pelko_module "modules/$<TARGET_FILE_NAME:pelko_dicom_module>")
endif()
install(FILES "$<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>" DESTINATION platforms)
install(FILES "$<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>" DESTINATION styles)
install(FILES "${pelko_win}/README.txt" DESTINATION .)

# The DLLs the files above load: in the SDK (Qt and OpenSSL), MinGW's runtime
# folder and the MinGW root (libwinpthread, zlib).
execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE pelko_libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=zlib1.dll OUTPUT_VARIABLE pelko_zlib
                OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(pelko_openssl_bin "${OPENSSL_SSL_LIBRARY}" DIRECTORY)
get_filename_component(pelko_openssl_bin "${pelko_openssl_bin}/../bin" ABSOLUTE)
get_filename_component(pelko_gcc_runtime "${pelko_libstdcxx}" DIRECTORY)
get_filename_component(pelko_mingw_lib "${pelko_zlib}" DIRECTORY)
if(NOT CMAKE_OBJDUMP OR NOT CMAKE_STRIP)
  message(FATAL_ERROR "The Windows packages need MinGW's objdump and strip")
endif()
set(pelko_dll_users Pelko.exe "platforms/$<TARGET_FILE_NAME:Qt6::QWindowsIntegrationPlugin>"
                    "styles/$<TARGET_FILE_NAME:Qt6::QWindowsVistaStylePlugin>" ${pelko_module})
install(CODE "
  set(PELKO_DLL_ROOT \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(PELKO_DLL_USERS \"${pelko_dll_users}\")
  set(PELKO_DLL_DIRS \"$<TARGET_FILE_DIR:Qt6::Core>;${pelko_openssl_bin};${pelko_gcc_runtime};${pelko_mingw_lib}\")
  set(PELKO_OBJDUMP \"${CMAKE_OBJDUMP}\")
  set(PELKO_STRIP \"${CMAKE_STRIP}\")
  # The program and the module without their debug information.
  execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${PELKO_DLL_ROOT}/Pelko.exe\"
                  $<$<BOOL:${pelko_module}>:\"\${PELKO_DLL_ROOT}/${pelko_module}\"> COMMAND_ERROR_IS_FATAL ANY)
")
install(SCRIPT "${PROJECT_SOURCE_DIR}/cmake/WindowsRuntimeDlls.cmake")

set(CPACK_PACKAGE_NAME Pelko)
set(CPACK_PACKAGE_VENDOR "The Pelko developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Pelko, a desktop DICOM client")
set(CPACK_PACKAGE_FILE_NAME "Pelko-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Pelko)
set(CPACK_PACKAGE_EXECUTABLES Pelko Pelko)
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_NSIS_PACKAGE_NAME Pelko)
set(CPACK_NSIS_DISPLAY_NAME Pelko)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME Pelko.exe)
# The seed: /SETTINGS=<path> or a Settings.ini beside the installer; a
# named file that is not there stops the installation before it copies
# anything (exit code 2 in a silent one).
# A 64-bit installer, like the program: it runs where Pelko runs (Wine
# without its 32-bit part included).
set(CPACK_NSIS_DEFINES "Target amd64-unicode\n!include FileFunc.nsh\nVar PelkoSeed")
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS
    [[
  StrCpy $PelkoSeed ""
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SETTINGS=" $R1
  IfErrors pelko_no_option
    StrCpy $PelkoSeed $R1
    IfFileExists "$PelkoSeed" pelko_seed_ok
      MessageBox MB_ICONSTOP "Settings.ini not found: $PelkoSeed" /SD IDOK
      SetErrorLevel 2
      Quit
  pelko_no_option:
    IfFileExists "$EXEDIR\Settings.ini" 0 pelko_seed_ok
      StrCpy $PelkoSeed "$EXEDIR\Settings.ini"
  pelko_seed_ok:
]])
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS
    [[
  FileOpen $R2 "$INSTDIR\Pelko.installed" w
  FileWrite $R2 "This file tells Pelko that it is installed: it keeps Settings.ini and Logs in %APPDATA%\Pelko.$\r$\n"
  FileClose $R2
  StrCmp $PelkoSeed "" pelko_no_seed
    CopyFiles /SILENT "$PelkoSeed" "$INSTDIR\Settings.ini"
  pelko_no_seed:
]])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [[
  Delete "$INSTDIR\Pelko.installed"
  Delete "$INSTDIR\Settings.ini"
]])
# The NSIS lines above reach the installer as written.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/WindowsPackageNames.cmake")
include(CPack)
