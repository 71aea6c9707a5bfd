# What `cmake --install` puts on a user's machine, and how `cpack -G DEB`
# packs it: the program; the window-server libraries it binds at run time
# (X11 and simulated; it links the simulated one) with the object library
# they share, in a private folder found relative to the program; its desktop
# entry, icon, AppStream metadata and manual page; the Debian copyright and
# changelog. Tests, benchmarks, the gallery and the desk's browser tests stay out.

install(TARGETS tolvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tolvane_x11ws simws tvwsobjects LIBRARY DESTINATION ${TOLVANE_PRIVATE_LIBDIR})
set_target_properties(tolvane PROPERTIES INSTALL_RPATH "$ORIGIN/${TOLVANE_PRIVATE_LIBDIR_FROM_BINDIR}")
set_target_properties(tolvane_x11ws simws tvwsobjects PROPERTIES INSTALL_RPATH "$ORIGIN")

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)
configure_file(${packaging}/com.tolvane.app.metainfo.xml ${generated}/com.tolvane.app.metainfo.xml @ONLY)
# The changelog and the manual page go compressed, without a time stamp.
configure_file(${packaging}/changelog.in ${generated}/changelog @ONLY)
configure_file(${packaging}/tolvane.1 ${generated}/tolvane.1 @ONLY)
foreach(document changelog tolvane.1)
  add_custom_command(OUTPUT ${generated}/${document}.gz
    COMMAND gzip -9nkf ${generated}/${document}
    DEPENDS ${generated}/${document})
endforeach()
add_custom_target(tolvane_documents ALL DEPENDS ${generated}/changelog.gz ${generated}/tolvane.1.gz)

install(FILES ${packaging}/tolvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/tolvane.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${generated}/com.tolvane.app.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${generated}/tolvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging}/copyright ${generated}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tolvane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR "Tolvane developers")
set(CPACK_PACKAGE_CONTACT "Tolvane developers <developers@tolvane.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard layout badge on the mouse pointer")
set(CPACK_PACKAGE_DESCRIPTION
  "Tolvane draws a small badge with the current keyboard layout onto the mouse\n\
pointer of an X11 desktop, follows layout switches made by any program, can\n\
return to a primary layout after the keyboard has been idle, and puts the\n\
cursor theme's own pointers back when it ends.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' dependencies come from dpkg-shlibdeps; the data read at run
# time (layout names, language names) and the dialogs' program are added.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${TOLVANE_PRIVATE_LIBDIR})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "iso-codes, xkb-data")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "zenity, fonts-dejavu-core")
include(CPack)
