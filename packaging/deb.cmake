# Debian package: `cpack -G DEB` in the build directory makes
# thymara_<version>_<arch>.deb from what `cmake --install` installs.
# Included from the top-level CMakeLists.txt after every install rule.
if(NOT UNIX OR APPLE)
    return()
endif()

set(CPACK_PACKAGE_NAME thymara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ondrel Softwares")
set(CPACK_PACKAGE_CONTACT "${THYMARA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The binary is stripped in the package; its build tree copy keeps its symbols.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${THYMARA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${THYMARA_PRODUCT_HOST}/")
# The first line is the synopsis, the rest the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "reference of herbal remedies by ailment or by herb
Thymara shows herbal remedies for common ailments, following pagan herbal
lore: pick an ailment to read which herbs help with it and how to use them,
or pick a herb to read what it helps with.
.
The program also shows the publisher's offers and links to its web sites,
reminds the user to look for updates every two weeks and offers a Refer A
Friend form; every page is opened in the default web browser.")
# Dependencies come from the libraries the binary links (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without it the program cannot start on a Wayland session that has no
# XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
