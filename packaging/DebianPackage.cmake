# `cpack -G DEB` in a build folder makes velmora_<version>_<arch>.deb of what
# `cmake --install` installs, under /usr.
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for animated GIF files")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora shows the frames of an animation as a tree beside the picture of the selected
frame, edits the GIF89a parameters of every frame and of the animation, inserts frames
made by effects and transitions, resizes, optimises, plays and saves it. It opens GIF,
JPEG, BMP, Targa, icon and cursor files and video clips. velmora-cli does the same work
from the command line.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(VELMORA_MAINTAINER "The Velmora developers <velmora@example.org>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMORA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link are found by dpkg-shlibdeps; Qt's plug-ins, which the
# editor loads at run time, are named here: the display platforms and the SQLite driver
# that the help's keyword index reads through.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")

include(CPack)
