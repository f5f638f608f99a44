# The maker's particulars, set once per build: the About window, the privacy statement and the Windows version
# resources show them. A distributor sets them on the first configure, for example
#   cmake -DKELVARA_OWNER_NAME="Beispiel GmbH, Anna Muster" -DKELVARA_OWNER_ADDRESS="Hauptstraße 1;1010 Wien;Österreich"
# Left unset they name the project itself and leave the rest empty: no made-up or bracketed details.
# Writes ${PROJECT_BINARY_DIR}/generated/owner.ini, which the program carries as ":/online/owner.ini".

set(KELVARA_OWNER_NAME "${PROJECT_NAME}" CACHE STRING "Maker's trading name and owner")
set(KELVARA_OWNER_ADDRESS "" CACHE STRING
    "Maker's postal address, up to three lines separated by ';': street; postcode and town; country")
set(KELVARA_OWNER_VAT "" CACHE STRING "Maker's VAT identification number, without the \"UID: \" prefix")
set(KELVARA_OWNER_WEBSITE "${KELVARA_SERVER_URL}" CACHE STRING "Maker's website (an https address)")
set(KELVARA_OWNER_COPYRIGHT "© 2026 ${KELVARA_OWNER_NAME}" CACHE STRING "Copyright line with year and name")
set(KELVARA_OWNER_RESPONSIBLE "" CACHE STRING "Person responsible for data protection (privacy statement)")
set(KELVARA_OWNER_PHONE "" CACHE STRING "Maker's telephone number (privacy statement)")
set(KELVARA_OWNER_FAX "" CACHE STRING "Maker's fax number (privacy statement)")
set(KELVARA_OWNER_EMAIL "" CACHE STRING "Maker's e-mail address (privacy statement)")
set(KELVARA_OWNER_PGP_KEY "" CACHE STRING "Where the maker's public OpenPGP key can be had (privacy statement)")

list(LENGTH KELVARA_OWNER_ADDRESS kelvara_address_lines)
if(kelvara_address_lines GREATER 3)
    message(FATAL_ERROR "KELVARA_OWNER_ADDRESS has ${kelvara_address_lines} lines; at most three are shown")
endif()
set(kelvara_address_fields street postcodeAndTown country)
foreach(index RANGE 2)
    list(GET kelvara_address_fields ${index} field)
    set(kelvara_owner_${field} "")
    if(index LESS kelvara_address_lines)
        list(GET KELVARA_OWNER_ADDRESS ${index} kelvara_owner_${field})
    endif()
endforeach()

# One INI line: the value in quotes, with backslashes and quotes escaped as the INI reader expects.
function(kelvara_owner_line out key value)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    set(${out} "${${out}}${key}=\"${value}\"\n" PARENT_SCOPE)
endfunction()

set(kelvara_owner_ini "; Generated from the KELVARA_OWNER_* settings of the build (cmake/KelvaraOwner.cmake).\n[Owner]\n")
kelvara_owner_line(kelvara_owner_ini tradingName "${KELVARA_OWNER_NAME}")
kelvara_owner_line(kelvara_owner_ini responsiblePerson "${KELVARA_OWNER_RESPONSIBLE}")
kelvara_owner_line(kelvara_owner_ini street "${kelvara_owner_street}")
kelvara_owner_line(kelvara_owner_ini postcodeAndTown "${kelvara_owner_postcodeAndTown}")
kelvara_owner_line(kelvara_owner_ini country "${kelvara_owner_country}")
kelvara_owner_line(kelvara_owner_ini vatNumber "${KELVARA_OWNER_VAT}")
kelvara_owner_line(kelvara_owner_ini telephone "${KELVARA_OWNER_PHONE}")
kelvara_owner_line(kelvara_owner_ini fax "${KELVARA_OWNER_FAX}")
kelvara_owner_line(kelvara_owner_ini email "${KELVARA_OWNER_EMAIL}")
kelvara_owner_line(kelvara_owner_ini website "${KELVARA_OWNER_WEBSITE}")
kelvara_owner_line(kelvara_owner_ini copyright "${KELVARA_OWNER_COPYRIGHT}")
kelvara_owner_line(kelvara_owner_ini pgpKey "${KELVARA_OWNER_PGP_KEY}")
# Copied into place only when it changes, so that an unchanged configure rebuilds nothing.
set(KELVARA_OWNER_INI "${PROJECT_BINARY_DIR}/generated/owner.ini")
file(WRITE "${PROJECT_BINARY_DIR}/generated/owner.ini.new" "${kelvara_owner_ini}")
configure_file("${PROJECT_BINARY_DIR}/generated/owner.ini.new" "${KELVARA_OWNER_INI}" COPYONLY)
