# Debian packages, one per install component: `cpack -G DEB` in the build folder gives
# daypane_<version>_<arch>.deb and daypane-nwsim_<version>_<arch>.deb.
set(DAYPANE_PACKAGE_MAINTAINER "Daypane developers <daypane@example.org>"
  CACHE STRING "Maintainer field of the Debian packages")

set(CPACK_PACKAGE_NAME daypane)
set(CPACK_PACKAGE_VENDOR "Daypane developers")
set(CPACK_PACKAGE_CONTACT "${DAYPANE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed files are release binaries; the debug information stays in the build.
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL daypane nwsim)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DAYPANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://daypane.example.org/")

set(CPACK_DEBIAN_DAYPANE_PACKAGE_NAME daypane)
set(CPACK_DEBIAN_DAYPANE_PACKAGE_SECTION web)
# Loaded or started at run time, so shlibdeps cannot see them: the web engine's helper process,
# the X client library through which the program checks for a display before starting the GUI,
# Qt's Wayland plugin for sessions with no X display, and xdg-open, which hands the page to the
# default browser; the face that the program puts in place of the windows' "MS Sans Serif"; and
# the system's trust store, which vouches for a site's own certificate authority.
set(CPACK_DEBIAN_DAYPANE_PACKAGE_DEPENDS
  "libqt6webenginecore6-bin, libxcb1, qt6-wayland, xdg-utils, fonts-liberation2 | fonts-liberation | fonts-croscore, ca-certificates")
set(CPACK_COMPONENT_DAYPANE_DESCRIPTION
  "page of the day for the first login, shown on top\n\
Daypane is started from the login with a page address and a mode. Before\n\
any window appears it decides whether the page is due: at the user's first\n\
login of the day (judged from the directory's previous-login time), always,\n\
or at most every N days. When due, it shows the page in an always-on-top\n\
window with download lamps, Exit, Print and Open in Full Browser buttons,\n\
and a clock.\n\
.\n\
The directory client libraries are not part of this package; install the\n\
vendor's client, or daypane-nwsim for a demonstration.")

set(CPACK_DEBIAN_NWSIM_PACKAGE_NAME daypane-nwsim)
set(CPACK_DEBIAN_NWSIM_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_NWSIM_PACKAGE_ENHANCES daypane)
# dpkg-shlibdeps looks for the client's own state library among the package's files.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  ${CMAKE_BINARY_DIR}/nwsim/lib)
set(CPACK_DEBIAN_NWSIM_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_NWSIM_PACKAGE_GENERATE_SHLIBS ON)
# The libraries land in the linker cache's folders; dpkg runs ldconfig once per transaction.
set(CPACK_DEBIAN_NWSIM_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/docs/nwsim/triggers)
set(CPACK_COMPONENT_NWSIM_DESCRIPTION
  "stand-in directory client for Daypane (demonstration and tests)\n\
The four client libraries that Daypane loads at run time, built from\n\
Daypane's own code and backed by a directory described in a text file\n\
(NWSIM_DIRECTORY). Install it only on machines without the vendor's\n\
directory client: it answers in place of the real directory.")

include(CPack)
