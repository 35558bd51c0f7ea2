# Installing and packaging. `cmake --install build --prefix /usr` lays Velmora out as a Linux
# desktop expects; `cpack -G DEB` (in the build folder) makes the Debian package of the same
# files. Included at the end of the top-level CMakeLists.txt, once every target exists.

include(GNUInstallDirs)
# Debian's name for the package's documentation, whatever the project is called.
set(VELMORA_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora)

install(TARGETS velmora velmora-render velmora-pages RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program shows its help from inside itself; the same page is installed to read anywhere.
install(FILES ${CMAKE_SOURCE_DIR}/platform/help/Velmora.html ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${VELMORA_DOCDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/demo DESTINATION ${VELMORA_DOCDIR}/examples)
add_subdirectory(${CMAKE_SOURCE_DIR}/data ${CMAKE_BINARY_DIR}/data)

# Every file an install lays down, relative to the prefix; scripts/check_install.sh compares
# an install into a temporary prefix with this list.
set(installed
    bin/velmora
    bin/velmora-pages
    bin/velmora-render
    share/applications/org.velmora.Velmora.desktop
    share/doc/velmora/README.md
    share/doc/velmora/Velmora.html
    share/icons/hicolor/256x256/apps/org.velmora.Velmora.png
    share/icons/hicolor/48x48/apps/org.velmora.Velmora.png
    share/icons/hicolor/scalable/apps/org.velmora.Velmora.svg
    share/metainfo/org.velmora.Velmora.metainfo.xml
    share/mime/packages/org.velmora.Velmora.xml)
file(GLOB demo_files RELATIVE ${CMAKE_SOURCE_DIR}/examples CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/examples/demo/*)
foreach(f ${demo_files})
    list(APPEND installed share/doc/velmora/examples/${f})
endforeach()
list(SORT installed)
list(JOIN installed "\n" installed)
file(WRITE ${CMAKE_BINARY_DIR}/installed-files.txt "${installed}\n")

# The Debian package: its dependencies are worked out from the libraries the programs link;
# the fonts the titles are measured in come on top. No maintainer scripts: the desktop's
# menu, icon and file-type caches follow through dpkg's triggers.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "The Velmora developers <dev@velmora.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video titler: title pages played full screen for recording")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Velmora Pro composes projects of title pages, each with up to three title lines (text or\na picture, font, colours, shadow, gradient) and the movements by which they come in and\nleave, and plays them full screen on black, ready to be recorded.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core")
# Faces for the scripts titles are written in: Arabic, Hebrew, Indic, Thai and the rest (Noto
# core), Chinese, Japanese and Korean, and emoji.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-core, fonts-noto-cjk, fonts-noto-color-emoji")
set(CPACK_STRIP_FILES ON)
include(CPack)
