# Installing the Linux program (cmake --install, or the Debian package that
# CPack makes with `cpack -G DEB` in the build folder): the program, its menu
# entry, icons, AppStream metainfo and manual page.
include(GNUInstallDirs)
set(DAYVANE_LINUX_PACKAGING ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS dayvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${DAYVANE_LINUX_PACKAGING}/dayvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${DAYVANE_LINUX_PACKAGING}/org.dayvane.dayvane.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 24 32 48)
  install(FILES ${ART_DIR}/dayvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME dayvane.png)
endforeach()
install(FILES ${ART_DIR}/dayvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page, compressed as Debian keeps them.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/dayvane.1.gz
  COMMAND gzip -9nc ${DAYVANE_LINUX_PACKAGING}/dayvane.1 > ${CMAKE_BINARY_DIR}/dayvane.1.gz
  DEPENDS ${DAYVANE_LINUX_PACKAGING}/dayvane.1
  VERBATIM)
add_custom_target(dayvane_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/dayvane.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/dayvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The licence and the changelog where Debian keeps a package's documents
# (a native package's changelog is changelog.gz).
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${DAYVANE_LINUX_PACKAGING}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${DAYVANE_LINUX_PACKAGING}/changelog
  VERBATIM)
add_custom_target(dayvane_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${DAYVANE_LINUX_PACKAGING}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dayvane)

# The Debian package: the program in /usr/bin (which makes each user's
# ~/Dayvane its notes folder), depending on Debian's Qt 6 libraries as
# dpkg-shlibdeps finds them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dayvane)
set(CPACK_PACKAGE_VENDOR "Dayvane")
set(CPACK_PACKAGE_CONTACT "Dayvane developers <team@dayvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "month calendar in the notification area, with a diary file per day")
set(CPACK_PACKAGE_DESCRIPTION
    "Dayvane keeps a month calendar one double-click away in the notification area and\nturns it into a diary: a double-click on a date opens that day's notes file in\nthe text editor. The notes of each user are kept in ~/Dayvane.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mousepad | gedit | kate | xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
