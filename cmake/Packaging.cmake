# `cpack -G DEB` (in the build folder) makes a Debian package of what
# `cmake --install` installs, with its library dependencies found by
# dpkg-shlibdeps (from dpkg-dev).

set(CPACK_PACKAGE_NAME "plainora")
set(CPACK_PACKAGE_VENDOR "The Plainora developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Debian wants the long description wrapped at 80 columns.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Plainora turns word-processor documents (.doc, .docx, .rtf and their kin)\n"
  "into plain-text files, in bulk, with its own native engine: no word\n"
  "processor is needed. The desktop program collects documents and folders\n"
  "in a list and converts the ticked ones; a command-line converter serves\n"
  "scripts.")
set(CPACK_PACKAGE_CONTACT "The Plainora developers <${PLAINORA_SUPPORT_EMAIL}>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "text")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PLAINORA_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Arial falls back to its metric twin Liberation Sans.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
# Only plainora.distributed needs Dask.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-distributed")
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")

set(PLAINORA_PACKAGE_PROGRAMDIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${PLAINORA_INSTALL_PROGRAMDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian-postrm.in ${PROJECT_BINARY_DIR}/debian/postrm @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
