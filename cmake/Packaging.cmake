# The Debian package (cpack -G DEB in the build folder; scripts/package.sh builds and runs it):
# vellora_VERSION_amd64.deb with the three programs under /usr/bin and everything packaging/
# installs. The binary dependencies come from the programs themselves (dpkg-shlibdeps); only what
# they load at run time is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellora)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Vellora developers")
set(CPACK_PACKAGE_CONTACT "Vellora developers <vellora@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare geocaching outings offline (German user interface)")
# Debian wants description lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Vellora keeps a local database of geocaches, builds a work list of cache
waypoints, downloads the listing pages of those caches with their images
and a map, and turns them into clean printable descriptions from an HTML
template with an index page. It exports waypoints to GPS formats, imports
pocket queries (GPX or ZIP) and keeps two installations in step through
one suitcase file.
.
The package holds the desktop program (Qt 6), the command line vellora-cli
and the stand-in servers vellora-sim for trying it out offline. The user
interface is German.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                               WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so invisible to dpkg-shlibdeps: Qt's SVG plugins draw the icons, and the map
# page takes Leaflet from Debian's package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, libjs-leaflet")
# Qt's own dialogs in German.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX packages)
include(CPack)
