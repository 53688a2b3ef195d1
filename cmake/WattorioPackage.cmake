# Desktop entry, icon and the Debian package (cpack -G DEB, or scripts/make-deb.sh).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/wattorio.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/wattorio.svg DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wattorio)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ワットリオ")
set(CPACK_PACKAGE_CONTACT "ワットリオ <wattorio@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "高圧・特別高圧電力　料金メニュー比較")
set(CPACK_PACKAGE_DESCRIPTION "Prices a site's year of electricity (hourly or ten-day figures) under the \
tariff menus of the nine Japanese utilities: the Japanese desktop program and its command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries do not name: the Japanese font, Qt's Japanese dialogs, and the desktop's
# opener for the written spreadsheets and the home page.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
include(CPack)
