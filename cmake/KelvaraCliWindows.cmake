# kelvara-cli.exe's Windows resources: the version resource with the maker's particulars (from
# cmake/KelvaraOwner.cmake where it is part of the build) and a manifest for long paths and UTF-8.
set(KELVARA_VERSION_TWEAK "${PROJECT_VERSION_TWEAK}")
if(KELVARA_VERSION_TWEAK STREQUAL "")
    set(KELVARA_VERSION_TWEAK 0)
endif()
set(KELVARA_RC_OWNER_NAME Kelvara)
if(DEFINED KELVARA_OWNER_NAME)
    set(KELVARA_RC_OWNER_NAME "${KELVARA_OWNER_NAME}")
endif()
set(KELVARA_RC_OWNER_COPYRIGHT "Copyright (C) ${KELVARA_RC_OWNER_NAME}")
if(DEFINED KELVARA_OWNER_COPYRIGHT)
    set(KELVARA_RC_OWNER_COPYRIGHT "${KELVARA_OWNER_COPYRIGHT}")
endif()
# Resource strings are C strings: quotes and backslashes would end or change them.
string(REPLACE "\"" "\"\"" KELVARA_RC_OWNER_NAME "${KELVARA_RC_OWNER_NAME}")
string(REPLACE "\"" "\"\"" KELVARA_RC_OWNER_COPYRIGHT "${KELVARA_RC_OWNER_COPYRIGHT}")

set(KELVARA_CLI_MANIFEST "${CMAKE_CURRENT_BINARY_DIR}/kelvara-cli.manifest")
configure_file("${PROJECT_SOURCE_DIR}/resources/windows/kelvara-cli.manifest" "${KELVARA_CLI_MANIFEST}" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/resources/windows/kelvara-cli.rc.in"
               "${CMAKE_CURRENT_BINARY_DIR}/kelvara-cli.rc" @ONLY)
set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/kelvara-cli.rc" PROPERTIES
    OBJECT_DEPENDS "${KELVARA_CLI_MANIFEST}")
target_sources(kelvara-cli PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/kelvara-cli.rc")
