# The Debian package (`cpack -G DEB`, run by scripts/package.sh): everything
# `cmake --install` puts under /usr, with the libraries it needs found by
# dpkg-shlibdeps and the font and translations the windows use added by hand.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tobrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tobrel developers")
set(CPACK_PACKAGE_CONTACT "Tobrel developers <tobrel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PlayStation emulator helper with a Japanese interface")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tobrel converts memory card images between Connectix Virtual Game Station,
bleem! and PSEmuPro/ePSXe and lists the saves on a card, shows and changes
the card files and controller keys the emulators use (in Wine's registry),
and extracts the Japanese sections of a cheat code list.
.
The command-line companion tobrel-cli does the same for scripts.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
