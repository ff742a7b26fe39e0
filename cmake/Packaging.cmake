# Installation and the Debian package.
#
#   <prefix>/lib/pelko/pelko        the program in a folder of its own
#   <prefix>/lib/pelko/modules/pelko-dcmtk.so
#                                   its DICOM module, loaded on the first
#                                   network call
#   <prefix>/lib/pelko/installed    the marker that makes it keep Settings.ini
#                                   and Logs/ in each user's ~/.config/Pelko
#   <prefix>/bin/pelko              a link to it, for the command line
#   /etc/pelko/Settings.ini         the administrator's settings, copied into a
#                                   user's folder on the first start
#   <prefix>/share/applications/pelko.desktop, the icon, the manual page,
#   the copyright and the changelog
#
#   cmake --install build --prefix /usr/local
#   cmake -S . -B build -DPELKO_PACKAGE_MAINTAINER="Name <address>"
#   cd build && cpack -G DEB        -> pelko_<version>-<release>_<arch>.deb for /usr
# Windows has its own: cmake/WindowsPackage.cmake.
if(WIN32)
  return()
endif()
include(GNUInstallDirs)

set(PELKO_PACKAGE_MAINTAINER "" CACHE STRING
    "Maintainer of the Debian package, as \"Name <address>\" (cpack needs it)")
set(PELKO_PACKAGE_RELEASE 1 CACHE STRING "Debian revision of the package")
set(PELKO_DEBIAN_VERSION "${PROJECT_VERSION}-${PELKO_PACKAGE_RELEASE}")

set(PELKO_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/pelko")
# The package's private folder, not a multiarch library folder.
if(CMAKE_INSTALL_LIBDIR MATCHES "^lib/")
  set(PELKO_INSTALL_DIR "lib/pelko")
endif()
set(PELKO_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/pelko")

# Files made at build time: the gzipped manual page and changelog (gzip -9n:
# no name or time stamp inside, as Debian wants) and the marker.
set(pelko_pkg "${PROJECT_BINARY_DIR}/packaging")
configure_file("${PROJECT_SOURCE_DIR}/packaging/pelko.1" "${pelko_pkg}/pelko.1" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/packaging/changelog.in" "${pelko_pkg}/changelog.Debian" @ONLY)
file(WRITE "${pelko_pkg}/installed"
     "This file tells Pelko that it is installed: it keeps Settings.ini and Logs/ in ~/.config/Pelko.\n")
file(WRITE "${pelko_pkg}/conffiles" "/etc/pelko/Settings.ini\n")
find_program(PELKO_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT "${pelko_pkg}/pelko.1.gz" "${pelko_pkg}/changelog.Debian.gz"
  COMMAND "${PELKO_GZIP}" -9nf -k "${pelko_pkg}/pelko.1" "${pelko_pkg}/changelog.Debian"
  DEPENDS "${pelko_pkg}/pelko.1" "${pelko_pkg}/changelog.Debian"
  VERBATIM)
add_custom_target(pelko_packaging_files ALL DEPENDS "${pelko_pkg}/pelko.1.gz" "${pelko_pkg}/changelog.Debian.gz")

install(TARGETS pelko RUNTIME DESTINATION "${PELKO_INSTALL_DIR}")
install(TARGETS pelko_dicom_module LIBRARY DESTINATION "${PELKO_INSTALL_DIR}/modules"
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES "${pelko_pkg}/installed" DESTINATION "${PELKO_INSTALL_DIR}")
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"../${PELKO_INSTALL_DIR}/pelko\" \"\${root}/${CMAKE_INSTALL_BINDIR}/pelko\" SYMBOLIC)
")
# The administrator's settings: always /etc/pelko, where Pelko looks. An
# existing one stays as it is (dpkg keeps it as a conffile on upgrade).
# file(INSTALL) puts DESTDIR before the absolute destination itself.
install(CODE "
  set(seed \"\$ENV{DESTDIR}/etc/pelko/Settings.ini\")
  if(NOT EXISTS \"\${seed}\")
    file(INSTALL \"${PROJECT_SOURCE_DIR}/packaging/Settings.ini\" DESTINATION /etc/pelko
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/pelko.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_SOURCE_DIR}/src/app/qt/pelko.png"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps")
install(FILES "${pelko_pkg}/pelko.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" "${pelko_pkg}/changelog.Debian.gz"
        DESTINATION "${PELKO_DOC_DIR}")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/lintian-overrides"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME pelko)

set(CPACK_PACKAGE_NAME pelko)
set(CPACK_PACKAGE_VENDOR "The Pelko developers")
set(CPACK_PACKAGE_CONTACT "${PELKO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop DICOM client: search an archive, send studies to nodes")
set(CPACK_PACKAGE_DESCRIPTION
    "Pelko sends study-level C-FIND queries to one DICOM archive, lists the\nstudies found and asks the archive to C-MOVE the selected ones to the\nmarked nodes.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${PELKO_PACKAGE_RELEASE}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${pelko_pkg}/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Library dependencies come from what the program links (dpkg-shlibdeps);
# the Qt platform plugins are loaded at run time and so are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
# Folders 0755 whatever the umask of the one who packs.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# cpack stops with a clear word when no maintainer was set.
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/PackagingCheck.cmake")
include(CPack)
