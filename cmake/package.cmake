# The Debian package, built by `make package` (cpack in the build folder):
# everything `cmake --install` puts under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME poromea)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "memory game: put the parts of a face back in place")
set(CPACK_PACKAGE_DESCRIPTION
    "ポロメア (Poromea) is a small Japanese memory game for one player. Six face
parts are dealt face up onto six cards; after five seconds they are covered
by red cards numbered 1 to 6. Drag the covered cards onto the six places on
a blank face and press O  K: when every part is in its place a
congratulation window opens, otherwise a message tells you to start again.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${POROMEA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries found by dpkg-shlibdeps in the binary, plus the fonts the labels
# ask for by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-mincho, fonts-ipafont-gothic")
set(CPACK_STRIP_FILES ON)
# Debian's permissions whatever the builder's umask: 0755 folders, 0644
# control files.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_folders.cmake)
# Every date in the package from SOURCE_DATE_EPOCH (cmake/package_date.cmake.in).
configure_file(${CMAKE_CURRENT_LIST_DIR}/package_date.cmake.in package_date.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/package_date.cmake)
include(CPack)
