# Read by cpack for every generator; sets up the Windows setup program (NSIS).
if(NOT CPACK_GENERATOR STREQUAL "NSIS")
    return()
endif()

set(CPACK_NSIS_PACKAGE_NAME "kestrix")
set(CPACK_NSIS_DISPLAY_NAME "kestrix")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Tarvesk Software\\kestrix")
set(CPACK_NSIS_INSTALLED_ICON_NAME "kestrix.exe")
# A 64-bit installer: the 64-bit-only Wine of our CI cannot run the default 32-bit one,
# and a 64-bit one writes Program Files and the registry without redirection.
# CPack's uninstaller removes the program's folder but not the vendor folder above it,
# nor the vendor's empty registry key: both go when nothing else of ours is left there.
set(CPACK_NSIS_DEFINES "  Target amd64-unicode

Function un.onUninstSuccess
  RMDir \"$PROGRAMFILES64\\Tarvesk Software\"
  DeleteRegKey /ifempty SHCTX \"Software\\Tarvesk Software\"
FunctionEnd")
# The programs write their run log beside the executable when the folder lets them.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "  Delete \"$INSTDIR\\kestrix.log\"")

# The 64-bit programs ask for "Microsoft dBase Driver (*.dbf)", which Windows ships as a
# 32-bit driver only: ours is registered under that name in the 64-bit ODBC registry,
# unless a driver of that name is there already (that one is left and used). The
# uninstaller removes the registration only while it still names our DLL.
set(KESTRIX_NSIS_DRIVER_KEY "\"Software\\ODBC\\ODBCINST.INI\\Microsoft dBase Driver (*.dbf)\"")
set(KESTRIX_NSIS_DRIVERS_KEY "\"Software\\ODBC\\ODBCINST.INI\\ODBC Drivers\"")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "  SetRegView 64
  ClearErrors
  ReadRegStr $0 HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"Driver\"
  IfErrors 0 kestrix_driver_done
  WriteRegStr HKLM ${KESTRIX_NSIS_DRIVERS_KEY} \"Microsoft dBase Driver (*.dbf)\" \"Installed\"
  WriteRegStr HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"Driver\" \"$INSTDIR\\kestrixdbf.dll\"
  WriteRegStr HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"Setup\" \"$INSTDIR\\kestrixdbf.dll\"
  WriteRegStr HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"APILevel\" \"1\"
  WriteRegStr HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"ConnectFunctions\" \"YYN\"
  WriteRegStr HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"DriverODBCVer\" \"03.80\"
  WriteRegStr HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"FileExtns\" \"*.dbf\"
  WriteRegStr HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"FileUsage\" \"1\"
  WriteRegStr HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"SQLLevel\" \"0\"
  WriteRegDWORD HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"UsageCount\" 1
kestrix_driver_done:")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS}
  SetRegView 64
  ReadRegStr $0 HKLM ${KESTRIX_NSIS_DRIVER_KEY} \"Driver\"
  StrCmp $0 \"$INSTDIR\\kestrixdbf.dll\" 0 kestrix_driver_kept
  DeleteRegKey HKLM ${KESTRIX_NSIS_DRIVER_KEY}
  DeleteRegValue HKLM ${KESTRIX_NSIS_DRIVERS_KEY} \"Microsoft dBase Driver (*.dbf)\"
kestrix_driver_kept:")


# The program's own name and pictures instead of the installer tool's banner.
get_filename_component(KESTRIX_ICONS "${CPACK_NSIS_MUI_ICON}" DIRECTORY)
# (CPack's own branding variable always trims, which makensis refuses off Windows.)
string(APPEND CPACK_NSIS_DEFINES "\nBrandingText \"kestrix ${CPACK_PACKAGE_VERSION}\"")
set(CPACK_NSIS_MUI_HEADERIMAGE "${KESTRIX_ICONS}/setup-header.bmp")
set(CPACK_NSIS_MUI_WELCOMEFINISHPAGE_BITMAP "${KESTRIX_ICONS}/setup-welcome.bmp")
set(CPACK_NSIS_MUI_UNWELCOMEFINISHPAGE_BITMAP "${KESTRIX_ICONS}/setup-welcome.bmp")
# "All rights reserved" is nothing to accept.
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
# The last page offers to start the program, in the user's documents folder as the
# Start-menu entry does.
set(CPACK_NSIS_MUI_FINISHPAGE_RUN "kestrix.exe")
string(APPEND CPACK_NSIS_DEFINES "
!define MUI_FINISHPAGE_RUN_FUNCTION StartKestrix
Function StartKestrix
  ExpandEnvStrings $0 \"%USERPROFILE%\\Documents\"
  SetOutPath $0
  Exec '\"$INSTDIR\\kestrix.exe\"'
FunctionEnd")
# The Start-menu entry starts in the user's documents folder: a first start proposes its
# working folder as the output folder, and a standard user cannot write the install
# folder. The entry replaces the one CPack made without a working folder of its own.
set(CPACK_NSIS_CREATE_ICONS_EXTRA "  StrCpy $OUTDIR \"%USERPROFILE%\\Documents\"
  CreateShortCut \"$SMPROGRAMS\\$STARTMENU_FOLDER\\kestrix.lnk\" \"$INSTDIR\\kestrix.exe\"
  SetOutPath \"$INSTDIR\"")
