# The Debian package: `cpack -G DEB` in the build folder makes
# stanzary_<version>-<release>_<arch>.deb from the rules of cmake/Install.cmake
# and the two files Debian asks of every package (below). Its library
# dependencies (the Qt 6 runtime, the C++ runtime) are read from the program
# itself by dpkg-shlibdeps; the rest are named here. scripts/package.sh builds
# it with Debian's hardening flags and checks it with lintian.
set(CPACK_PACKAGE_NAME stanzary)
set(CPACK_PACKAGE_VENDOR Zeph)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lyrics collection manager that runs beside Tunewright")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Stanzary looks after the lyrics collection of the lyrics application\n"
       "Tunewright: it finds Tunewright's installation beside itself or in a Wine\n"
       "prefix, shows the collection as a tree of artists and songs with karaoke\n"
       "icons and counts, searches it as you type, shows, edits and deletes lyrics\n"
       "and keeps the redownload and deleted lists.")
set(CPACK_PACKAGE_CONTACT "Stanzary developers <stanzary@quarvex.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.quarvex.example")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Wayland sessions need Qt's Wayland plugin (else the program runs through
# XWayland); web pages open through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils, hicolor-icon-theme")

find_program(STANZARY_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(STANZARY_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  # Without dpkg-dev the package still installs: the Qt 6.4 runtime by name.
  message(STATUS "dpkg-shlibdeps not found: the package names its Qt 6 dependencies itself")
  string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS
         "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6svg6 (>= 6.4), "
         "libqt6printsupport6 (>= 6.4), libtag1v5")
endif()

# The machine-readable copyright file and the Debian changelog, whose first
# entry must be this version: a new version needs a new entry.
set(stanzary_docdir "${CMAKE_INSTALL_DATADIR}/doc/stanzary")
install(FILES data/debian/copyright DESTINATION "${stanzary_docdir}")
file(STRINGS data/debian/changelog stanzary_changelog_top LIMIT_COUNT 1)
set(stanzary_package_version "${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
if(NOT stanzary_changelog_top MATCHES "^stanzary \\(${stanzary_package_version}\\) ")
  message(FATAL_ERROR "data/debian/changelog begins with \"${stanzary_changelog_top}\", "
                      "not with an entry for ${stanzary_package_version}: add one for this version.")
endif()
set(changelog "${PROJECT_BINARY_DIR}/data/changelog.Debian.gz")
add_custom_command(OUTPUT "${changelog}"
                   COMMAND gzip -9 -n -c "${PROJECT_SOURCE_DIR}/data/debian/changelog" > "${changelog}"
                   DEPENDS "${PROJECT_SOURCE_DIR}/data/debian/changelog"
                   COMMENT "Debian changelog" VERBATIM)
add_custom_target(stanzary_debian_changelog ALL DEPENDS "${changelog}")
add_dependencies(stanzary_desktop_data stanzary_debian_changelog)
install(FILES "${changelog}" DESTINATION "${stanzary_docdir}")

include(CPack)
