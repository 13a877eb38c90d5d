# A Debian package from the build: cpack -G DEB (run in the build folder).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME folioknife)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kestrune <folioknife@kestrune.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "split word-processor documents into one-page documents")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Folioknife turns word-processor documents into one-page documents, laid out by LibreOffice. The\n"
    "folioknife window collects documents in a list; folioknife-split does the same from the command\n"
    "line, for many documents at once.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Named by hand: the office plugin links the office's own libraries, which dpkg-shlibdeps cannot map
# to a package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libreoffice-writer, libqt6core6, libqt6gui6, libqt6widgets6, libpugixml1v5, libzip4, libc6, libstdc++6")
include(CPack)
