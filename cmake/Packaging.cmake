# Installs the program, its command-line companion, the demo and the tester simulator
# with a desktop entry, an icon, the manual page and the sample ID list, and describes the Debian package that `cpack -G DEB` makes of them.
include(GNUInstallDirs)

install(TARGETS OrvelIDs orvel-ids orvel-ids-demo orvel-tester-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/orvel-ids.desktop packaging/orvel-ids-demo.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/orvel-ids.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES README.md docs/sample-ids.csv DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvel-ids)
install(FILES docs/orvel-ids.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvel-ids)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepares the ID lists and company name of a brake tester")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Orvel IDs keeps named groups of Trailer ID / Vehicle ID pairs, reads the 32 pairs of a brake tester into a group "
  "or sends a group into the tester, and reads or sends the company name the tester prints, over a serial port. "
  "The command orvel-ids imports and exports ID lists as CSV files, lists the serial ports and runs the same "
  "transfers from scripts. The package also holds orvel-ids-demo, which runs the program against a simulated tester, and orvel-tester-sim, "
  "the simulated tester on a pseudo-terminal.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvel IDs maintainers <maintainers@orvel.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps works out the libraries the programs need (Qt's X11 back end comes with
# its GUI library). On a Wayland desktop Qt uses X11 through XWayland unless its own
# Wayland back end is installed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
# The icon theme that menus look the icon up in, and the fonts the windows fall back on.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, fonts-dejavu-core")

include(CPack)
