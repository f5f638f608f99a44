# The Windows installer (CPack with NSIS): kelvara-<version>-win64-setup.exe, a 64-bit installer that puts the
# deployed folder into Program Files, adds a Start-menu entry and an uninstaller to the system's list of programs,
# and registers the .kvra file type with Kelvara's icon.
set(CPACK_GENERATOR NSIS)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME Kelvara)
set(CPACK_PACKAGE_VENDOR Norvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "kelvara-${PROJECT_VERSION}-win64-setup")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kelvara)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Kelvara)
set(CPACK_PACKAGE_EXECUTABLES kelvara Kelvara)
set(CPACK_STRIP_FILES ON)

# The licence page shows the About window's licence as plain text (UTF-8 with a byte-order mark for NSIS).
file(READ "${PROJECT_SOURCE_DIR}/resources/online/lizenz.html" kelvara_licence)
string(REGEX REPLACE "<[^>]*>" "" kelvara_licence "${kelvara_licence}")
string(REGEX REPLACE "\n\n\n+" "\n\n" kelvara_licence "${kelvara_licence}")
string(STRIP "${kelvara_licence}" kelvara_licence)
file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/licence.txt" "﻿${kelvara_licence}\n")
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_CURRENT_BINARY_DIR}/licence.txt")

# makensis builds 64-bit stubs on request, so the installer itself needs no 32-bit Windows layer.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_PACKAGE_NAME Kelvara)
set(CPACK_NSIS_DISPLAY_NAME Kelvara)
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/resources/windows/kelvara.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/resources/windows/kelvara.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME kelvara.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

# The file type: double-clicking a .kvra file opens Kelvara with the file's path. The uninstaller removes the
# type only while it is still Kelvara's, and the files the program itself puts beside it (the fallback banner
# picture, a downloaded update); the user's Kelvara.kvs stays.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  WriteRegStr HKCR ".kvra" "" "Kelvara.kvra"
  WriteRegStr HKCR "Kelvara.kvra" "" "Kelvara-verschlüsselte Datei"
  WriteRegStr HKCR "Kelvara.kvra\DefaultIcon" "" "$INSTDIR\kelvara.exe,0"
  WriteRegStr HKCR "Kelvara.kvra\shell\open\command" "" '"$INSTDIR\kelvara.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  Delete "$INSTDIR\Kelvaraadv.gif"
  Delete "$INSTDIR\update.exe"
  ReadRegStr $0 HKCR ".kvra" ""
  StrCmp $0 "Kelvara.kvra" 0 +2
  DeleteRegKey HKCR ".kvra"
  DeleteRegKey HKCR "Kelvara.kvra"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]=])
