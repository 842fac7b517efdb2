# Installation (cmake --install) and the Debian package (cpack, scripts/package).
include(GNUInstallDirs)

set(BW_APP_ID net.brambleway.bramblewayftp)
set(BW_DESKTOP ${PROJECT_SOURCE_DIR}/desktop)

install(TARGETS bramblewayftp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${BW_DESKTOP}/${BW_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${BW_DESKTOP}/${BW_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${BW_DESKTOP}/${BW_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${BW_DESKTOP}/icons/${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${BW_APP_ID}.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME bramblewayftp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "BramblewayFTP developers")
set(CPACK_PACKAGE_CONTACT "BramblewayFTP developers <packages@brambleway.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop FTP client with a Chinese user interface")
set(CPACK_PACKAGE_DESCRIPTION "A desktop FTP client in Simplified and Traditional Chinese: local files
on the left, the remote site on the right, the transfer queue and a
colour-coded session log below. It uploads and downloads whole folder
trees, resumes interrupted transfers, keeps a site book and opens ftp://
links.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries' packages come from dpkg-shlibdeps; the window system plugins
# are loaded at run time, where it cannot see them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
