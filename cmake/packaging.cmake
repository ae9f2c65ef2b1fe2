# Packages of the installed files: a Debian package on Linux (`cpack -G DEB`
# in the build folder), a ZIP elsewhere.
set(VEXLO_MAINTAINER "The Vexlo developers <developers@vexlo.example>"
    CACHE STRING "The packages' maintainer, as \"Name <address>\"")

set(CPACK_PACKAGE_NAME "vexlo")
set(CPACK_PACKAGE_VENDOR "${VEXLO_COMPANY_NAME}")
set(CPACK_PACKAGE_VERSION "${VEXLO_FILE_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy one parameter between profile (.ini) files")
set(CPACK_PACKAGE_CONTACT "${VEXLO_MAINTAINER}")
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VEXLO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies are read off the binary by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Debian description is the summary, then this text, indented by CPack.
set(CPACK_PACKAGE_DESCRIPTION
    "Vexlo copies the value of one parameter from one profile file (a sectioned
.ini file) to another, or exchanges the last N backslash-separated parts of
the destination's value for those of the source's. Deployment scripts rely
on its exact messages and exit status. Its writes change only the bytes that
must change and replace the file atomically under a lock.")

if(WIN32)
  set(CPACK_GENERATOR "ZIP")
else()
  set(CPACK_GENERATOR "DEB")
endif()
include(CPack)
