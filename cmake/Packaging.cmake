# The Debian package (scripts/package.sh builds it): everything `cmake --install` puts in place,
# with the dependencies dpkg-shlibdeps finds from the binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keystow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Keystow Editor developers")
set(CPACK_PACKAGE_CONTACT "The Keystow Editor developers <packaging@keystow.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for encrypted text and passwords documents")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The faces the editor and the forms name; no binary links them. (The web engine's helper
# process comes with the engine library's own dependencies.)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long description; CPack puts the summary line in front of it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Keystow Editor keeps private documents encrypted on disk and lets you open,
edit and save them as if they were ordinary files: free-form text documents
(.etx) and passwords documents (.ksw) with web, email and other accounts.
Every file is encrypted as a whole under a password of its own.

The package holds the desktop program, keystow, and its command-line
companion, keystow-cli, which decrypts, encrypts and checks documents and
moves accounts to and from JSON, CSV and KeePass 2 XML.")
include(CPack)
