# What `cmake --install` puts where, and the Debian package CPack makes of it.
#
#   bin/                                    quillon-gallery, quillon-cli
#   lib/quillon-gallery/                    run-time loaded plugin libraries, when there are any
#   share/quillon-gallery/                  Buttons/, Backgrounds/, Samples/ (AppFolder of an
#                                           installed copy: see src/platform/Folders.h)
#   share/applications/                     the menu entry
#   share/mime/packages/                    the project file type (*.tnp)
#   share/icons/hicolor/<size>/apps/        the application icon, SVG and PNG
#   share/metainfo/                         the software-centre description
#   share/man/man1/                         quillon-gallery.1.gz, quillon-cli.1.gz
#   share/bash-completion/completions/      quillon-cli
#   share/doc/quillon-gallery/              copyright, changelog.gz
#
# The files come from data/; the shipped pictures are drawn at build time into build/bin/.
# scripts/package.sh builds what is installed (target install-files) and runs CPack.
include(GNUInstallDirs)

set(QUILLON_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
set(QUILLON_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/quillon-gallery)
set(QUILLON_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/quillon-gallery)

install(TARGETS quillon-gallery quillon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A plugin is found beside the executables in the build tree and in <prefix>/lib/quillon-gallery
# once installed; it is private to the programs, so no multiarch folder and no soname link.
if(TARGET qg_magick)
  install(TARGETS qg_magick LIBRARY DESTINATION lib/quillon-gallery NAMELINK_SKIP)
endif()

foreach(folder Buttons Backgrounds Samples)
  install(DIRECTORY ${QUILLON_BIN_DIR}/${folder} DESTINATION ${QUILLON_SHARE_DIR})
endforeach()

install(FILES ${QUILLON_DATA_DIR}/applications/quillon-gallery.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QUILLON_DATA_DIR}/mime/quillon-gallery.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(DIRECTORY ${QUILLON_DATA_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${QUILLON_DATA_DIR}/metainfo/com.corvane_soft.QuillonGallery.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUILLON_DATA_DIR}/completion/quillon-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${QUILLON_DATA_DIR}/debian/copyright
        DESTINATION ${QUILLON_DOC_DIR})

# Manual pages and the changelog are installed compressed, as Debian wants them; -n leaves the
# name and time out of the gzip header so that two builds give the same bytes.
find_program(QUILLON_GZIP gzip REQUIRED)
set(compressed "")
foreach(source man/quillon-gallery.1 man/quillon-cli.1 debian/changelog)
  get_filename_component(name ${source} NAME)
  set(output ${CMAKE_BINARY_DIR}/data/${name}.gz)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data
    COMMAND ${QUILLON_GZIP} -9 -n -c ${QUILLON_DATA_DIR}/${source} > ${output}
    DEPENDS ${QUILLON_DATA_DIR}/${source}
    COMMENT "Compressing ${source}")
  list(APPEND compressed ${output})
endforeach()
add_custom_target(compressed-docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/data/quillon-gallery.1.gz ${CMAKE_BINARY_DIR}/data/quillon-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/data/changelog.gz DESTINATION ${QUILLON_DOC_DIR})

# Everything the install rules above take from the build tree, without the tests and benchmarks.
add_custom_target(install-files DEPENDS quillon-gallery quillon-cli assets compressed-docs)
if(TARGET qg_magick)
  add_dependencies(install-files qg_magick)
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon-gallery)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Corvane-Soft)
set(CPACK_PACKAGE_CONTACT "Corvane-Soft <support@corvane-soft.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn photographs into a web gallery and upload it")
# Debian shows the long description as given: lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quillon Gallery turns a set of digital photographs into a static web photo\n"
    "gallery: thumbnails and display images with border and soft drop shadow,\n"
    "paged index pages and one page per picture. It shows the camera data (Exif)\n"
    "stored in the pictures and uploads the gallery by FTP.\n"
    "\n"
    "This package contains the desktop program quillon-gallery and the command-line\n"
    "tool quillon-cli, which builds, inspects and uploads the same projects from a\n"
    "shell.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.corvane-soft.com/quillon/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The shared libraries the programs link come from dpkg-shlibdeps. It cannot see what Qt loads
# at run time, so these are named here: the platform plugins (xcb, wayland, offscreen) without
# which the window cannot open, and the SVG icon engine that draws the window's icon. The network
# clients load libcurl (HTTP, FTP, FTPS, SFTP) and libcrypto (digests, fingerprints) the same way.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, libcurl4, libssl3")
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE QUILLON_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT QUILLON_DEB_ARCH)
  set(QUILLON_DEB_ARCH amd64)
endif()
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${QUILLON_DEB_ARCH})
set(CPACK_DEBIAN_FILE_NAME quillon-gallery_${PROJECT_VERSION}_${QUILLON_DEB_ARCH}.deb)
include(CPack)
