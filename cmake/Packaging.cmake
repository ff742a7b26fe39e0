# Installation and the Debian package.
#
#   <prefix>/lib/pelko/pelko    the program in a folder of its own; an
#                               administrator may put a Settings.ini beside it
#                               to seed every user's own copy
#   <prefix>/bin/pelko          a link to it, for the command line
#   <prefix>/share/applications/pelko.desktop and the icon
#
# The program folder is installed without write permission for anyone, root
# included, so every user (root too) keeps Settings.ini and Logs/ in a
# folder of their own (~/.config/Pelko).
#
#   cmake --install build --prefix /usr/local
#   cd build && cpack -G DEB        -> pelko_<version>_<arch>.deb for /usr
include(GNUInstallDirs)

set(PELKO_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/pelko")
# The package's private folder, not a multiarch library folder.
if(CMAKE_INSTALL_LIBDIR MATCHES "^lib/")
  set(PELKO_INSTALL_DIR "lib/pelko")
endif()

# An earlier installation left the folder read-only: open it for this one.
install(CODE "
  set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${PELKO_INSTALL_DIR}\")
  if(IS_DIRECTORY \"\${dir}\")
    file(CHMOD \"\${dir}\" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
")
install(TARGETS pelko RUNTIME DESTINATION "${PELKO_INSTALL_DIR}")
install(CODE "
  set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${root}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"../${PELKO_INSTALL_DIR}/pelko\" \"\${root}/${CMAKE_INSTALL_BINDIR}/pelko\" SYMBOLIC)
  file(CHMOD \"\${root}/${PELKO_INSTALL_DIR}\" DIRECTORY_PERMISSIONS
       OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/pelko.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_SOURCE_DIR}/src/app/qt/pelko.png"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps")

set(CPACK_PACKAGE_NAME pelko)
set(CPACK_PACKAGE_VENDOR "Pelko developers")
set(CPACK_PACKAGE_CONTACT "Pelko developers <dev@pelko.local>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop DICOM client: search an archive, send studies to nodes")
set(CPACK_PACKAGE_DESCRIPTION
    "Pelko sends study-level C-FIND queries to one DICOM archive, lists the studies\n found and asks the archive to C-MOVE the selected ones to the marked nodes.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# Library dependencies come from what the program links (dpkg-shlibdeps);
# the Qt platform plugins are loaded at run time and so are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
include(CPack)
