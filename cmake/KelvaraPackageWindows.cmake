# The Windows installer (CPack with NSIS and our own template, cmake/NSIS.template.in):
# kelvara-<version>-win64-setup.exe installs the deployed folder for the current user or for all users, adds a
# Start-menu entry, an entry in "Apps & Features" and the .kvra file type, and carries an uninstaller.
set(CPACK_GENERATOR NSIS)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME Kelvara)
set(CPACK_PACKAGE_VENDOR Norvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "kelvara-${PROJECT_VERSION}-win64-setup")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kelvara)
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/resources/windows/kelvara.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/resources/windows/kelvara.ico")

# The maker's particulars in the version resources of the setup and the uninstaller, and as the publisher in
# "Apps & Features" (cmake/KelvaraOwner.cmake sets them where it is part of the build).
if(NOT DEFINED KELVARA_OWNER_NAME)
    set(KELVARA_OWNER_NAME Kelvara)
endif()
if(NOT DEFINED KELVARA_OWNER_COPYRIGHT)
    set(KELVARA_OWNER_COPYRIGHT "Copyright (C) ${KELVARA_OWNER_NAME}")
endif()
set(CPACK_KELVARA_OWNER_NAME "${KELVARA_OWNER_NAME}")
set(CPACK_KELVARA_OWNER_COPYRIGHT "${KELVARA_OWNER_COPYRIGHT}")

# Signing: a command line that signs one file, "%1" standing for its path, e.g.
#   -DKELVARA_SIGN_COMMAND="osslsigncode sign -pkcs12 maker.p12 -pass secret -in %1 -out %1.signed && mv %1.signed %1"
# It runs on every program before packing, on the uninstaller and on the finished setup, and a failure stops
# the packing. Empty: nothing is signed.
set(KELVARA_SIGN_COMMAND "" CACHE STRING "Command that signs one file (%1 is its path); empty: no signing")
set(CPACK_KELVARA_SIGN_COMMAND "${KELVARA_SIGN_COMMAND}")

# Before makensis runs: the programs are signed and the list of packed files is written for the template.
set(CPACK_KELVARA_FILE_LIST "${CMAKE_BINARY_DIR}/kelvara-installer-files.nsh")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/KelvaraInstallerFiles.cmake")

# The licence page shows the About window's licence as plain text (UTF-8 with a byte-order mark for NSIS).
file(READ "${PROJECT_SOURCE_DIR}/resources/online/lizenz.html" kelvara_licence)
string(REGEX REPLACE "<[^>]*>" "" kelvara_licence "${kelvara_licence}")
string(REGEX REPLACE "\n\n\n+" "\n\n" kelvara_licence "${kelvara_licence}")
string(STRIP "${kelvara_licence}" kelvara_licence)
file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/licence.txt" "﻿${kelvara_licence}\n")
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_CURRENT_BINARY_DIR}/licence.txt")
