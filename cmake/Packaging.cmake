# The Debian package: cpack -G DEB in a build configured with -DCMAKE_INSTALL_PREFIX=/usr
# (scripts/package-test.sh builds, installs and removes it). The package holds what the install
# rules install; dpkg's triggers update the menu, the file types, the icon cache and the manual
# index, so it needs no scripts of its own.
set(CPACK_PACKAGE_NAME pagelorn)
set(CPACK_PACKAGE_VENDOR "Pagelorn")
set(CPACK_PACKAGE_CONTACT "Pagelorn developers <developers@pagelorn.org>" CACHE STRING
    "The package's maintainer")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PAGELORN_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION
    "Pagelorn arranges pictures, documents, sounds, videos, archives and web
pages from your computer as a tree of sub-sites and items, and exports it
as a folder of plain HTML pages with a copy of every linked file.

The package holds the window (pagelorn) and the command-line tool
(pagelorn-cli), which builds, inspects and exports the same *.www
projects without a display.")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link decide the dependencies, and the window's icons need Qt's SVG
# plugins, which no library links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Help > Contents and Preview open the browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
