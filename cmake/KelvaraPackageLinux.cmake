# The Debian package made by CPack (scripts/package.sh): kelvara_<version>_<arch>.deb with the window, the
# command-line tool and everything below share/linux. Read before include(CPack) in the top CMakeLists.txt.
if(NOT DEFINED CPACK_GENERATOR)
    set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME kelvara)
set(CPACK_PACKAGE_VENDOR Norvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${KELVARA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # kelvara_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KELVARA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON) # the libraries' packages, found by dpkg-shlibdeps from the binaries
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KELVARA_SERVER_URL}")
# The synopsis is the project's DESCRIPTION; CPack indents these lines and turns the empty one into " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kelvara encrypts a file into a .kvra file and decrypts it again, encrypts
whole folder trees into a mirror tree, and turns a short text into one line
of Base64 on the clipboard, ready for a mail. The window speaks German or
English, following the desktop's language; kelvara-cli does the same work
from a terminal or a script.

The .kvra format has no salt and no integrity check: it keeps files from
casual eyes, but it is not a modern authenticated format.")
