# Read by cpack: a Debian package needs a real maintainer.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGE_CONTACT MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$")
  message(FATAL_ERROR "The package needs a maintainer: configure with "
                      "-DPELKO_PACKAGE_MAINTAINER=\"Name <address>\" and run cpack again.")
endif()
