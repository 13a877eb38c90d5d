# A Debian package from the build: cpack -G DEB (run in the build folder).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME folioknife)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kestrune <folioknife@kestrune.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "split word-processor documents into one-page documents")
# Lines of at most 80 characters, as package tools show them on a terminal.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Folioknife turns word-processor documents into one-page documents, laid out\n"
    "by LibreOffice. The folioknife window collects documents in a list;\n"
    "folioknife-split does the same from the command line, for many documents at\n"
    "once.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Named by hand: the office plugin links the office's own libraries, which dpkg-shlibdeps cannot map
# to a package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libreoffice-writer, libqt6core6, libqt6gui6, libqt6network6, libqt6widgets6, libpugixml1v5, libzip4, libqpdf29, libc6, libstdc++6")
# The binaries ship stripped and their symbols in folioknife-dbgsym, a .ddeb beside the .deb
# (CPACK_STRIP_FILES alone would throw the symbols away).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebugSymbolsPackage.cmake)
set(CPACK_FOLIOKNIFE_OBJCOPY ${CMAKE_OBJCOPY})
set(CPACK_FOLIOKNIFE_READELF ${CMAKE_READELF})
include(CPack)
