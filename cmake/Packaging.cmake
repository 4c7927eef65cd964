# The Debian package (cpack -G DEB in the build folder): the programs under the install prefix, their library
# dependencies found by dpkg-shlibdeps, the Qt platform plugins the window needs to open, and the
# ODBC drivers: SQLite's, which the embedded catalogue needs, required; the servers' suggested.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessarine-pro)
set(CPACK_PACKAGE_VENDOR "Tessarine")
set(CPACK_PACKAGE_CONTACT "Tessarine PRO <tessarine-pro@tessarine.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "searchable SQL catalogue of the metadata of image files")
set(CPACK_PACKAGE_DESCRIPTION "Tessarine PRO reads the IPTC/IIM and XMP metadata embedded in image files
and the facts of each file, and stores them one row per file in a database
reached through ODBC (an embedded SQLite file, PostgreSQL or MariaDB).
The window tessarine-pro leads through the set-up and searches the catalogue;
the command tessarine scans, checks and searches without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tessarine.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libqt6gui6 only recommends the platform plugins; without them the window cannot open. The
# embedded catalogue is reached through unixODBC's driver manager and SQLite's driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, unixodbc, libsqliteodbc")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql, odbc-mariadb")
include(CPack)
