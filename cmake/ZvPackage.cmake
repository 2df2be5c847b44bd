# The Debian package (cpack -G DEB in the build folder):
#   /opt/zelvio/bin/        Zelvio, Zelvio.dat, libZudoz.so, libzvbrowser.so,
#                           webext/libzvwebext.so
#   /opt/zelvio/ZvUpdator/  zvupdate (the client starts it from beside its own folder)
#   /usr/bin/zelvio         the launcher on the PATH
#   /usr/share/applications/zelvio.desktop, /usr/share/icons/hicolor/256x256/apps/zelvio.png
#   /usr/share/doc/zelvio/  copyright, changelog.gz; /usr/share/man/man1/zelvio.1.gz
if(ZV_SANITIZE)
  return()
endif()
set(ZV_OPT opt/zelvio)
install(TARGETS Zelvio RUNTIME DESTINATION ${ZV_OPT}/bin)
install(TARGETS Zudoz LIBRARY DESTINATION ${ZV_OPT}/bin)
install(TARGETS zvbrowser LIBRARY DESTINATION ${ZV_OPT}/bin)
install(TARGETS zvwebext LIBRARY DESTINATION ${ZV_OPT}/bin/webext)
install(TARGETS zvupdate RUNTIME DESTINATION ${ZV_OPT}/ZvUpdator)
install(FILES ${ZV_BIN_DIR}/Zelvio.dat DESTINATION ${ZV_OPT}/bin)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/zelvio-launcher.sh DESTINATION usr/bin RENAME zelvio)
# The installed entry starts the launcher on the PATH.
file(READ ${PROJECT_SOURCE_DIR}/resources/zelvio.desktop ZV_DESKTOP)
string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=zelvio" ZV_DESKTOP "${ZV_DESKTOP}")
file(WRITE ${CMAKE_BINARY_DIR}/packaging/zelvio.desktop "${ZV_DESKTOP}")
install(FILES ${CMAKE_BINARY_DIR}/packaging/zelvio.desktop DESTINATION usr/share/applications)
install(FILES ${ZV_DIST_DIR}/share/icons/hicolor/256x256/apps/zelvio.png
        DESTINATION usr/share/icons/hicolor/256x256/apps)

# Debian's policy: the copyright file as it is, the changelog and the manual
# page compressed with gzip -9n (no name or time stamp, so builds repeat).
set(ZV_PKG_DIR ${CMAKE_BINARY_DIR}/packaging)
foreach(doc changelog zelvio.1)
  add_custom_command(
    OUTPUT ${ZV_PKG_DIR}/${doc}.gz
    COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/packaging/${doc}
            ${ZV_PKG_DIR}/${doc}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${doc}
    VERBATIM)
  list(APPEND ZV_PKG_DOCS ${ZV_PKG_DIR}/${doc}.gz)
endforeach()
add_custom_target(zelvio_package_docs ALL DEPENDS ${ZV_PKG_DOCS})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${ZV_PKG_DIR}/changelog.gz
        DESTINATION usr/share/doc/zelvio)
install(FILES ${ZV_PKG_DIR}/zelvio.1.gz DESTINATION usr/share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvio)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zelvio developers <dev@zelvio.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop live-streaming broadcaster")
# The extended description, in lines a package manager shows as they are.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Zelvio lets a streamer sign in to the platform, watch a live preview and"
  "go live over RTMP (H.264 video and AAC sound). It captures the camera, a"
  "window or the whole desktop, either of them with the camera in a corner,"
  "or a looping video file, with the platform's logo over the picture and"
  "the microphone and desktop sound mixed in. The room's chat and gift pages"
  "are shown beside the preview. An updater offers newer versions.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# Linked libraries come from dpkg-shlibdeps (the toolkit is the package's
# own); what is loaded at run time is named here: the libobs plug-ins, the
# web engine's helper processes, the fonts of the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${ZV_OPT}/bin)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "obs-studio, libwebkit2gtk-4.1-0, fonts-noto-cjk")
# Wayland desktops share their screen through the portal; X11 ones need none.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-desktop-portal")
include(CPack)
