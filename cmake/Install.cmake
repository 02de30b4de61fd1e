# Installing Quizdeck like a desktop program, and packing it into a Debian package with CPack.
#
#   <prefix>/lib/quizdeck/             the program folder: quizdeck, quizdeck-bank, every .drv, quizdeck.hlp
#   <prefix>/bin/quizdeck              relative symbolic links into the program folder (the program
#   <prefix>/bin/quizdeck-bank         resolves the link and finds its files beside its real self)
#   <prefix>/share/applications/       the desktop menu entry
#   <prefix>/share/metainfo/           AppStream metadata for software centres
#   <prefix>/share/icons/hicolor/      the icon at 16 to 256 px and scalable
#
# The program folder is read-only once installed, so the program's error log goes to standard error.
include(GNUInstallDirs)

set(QUIZDECK_APP_ID org.larkfield.Quizdeck)
# Deliberately not CMAKE_INSTALL_LIBDIR: the program folder is one fixed place, never a multiarch triplet.
set(QUIZDECK_INSTALL_PROGRAMDIR "lib/quizdeck" CACHE STRING
    "Program folder (executables, data files, help file), relative to the installation prefix")

set(_qd_packaging ${CMAKE_SOURCE_DIR}/packaging)

# The program folder.
install(TARGETS quizdeck quizdeck-bank RUNTIME DESTINATION ${QUIZDECK_INSTALL_PROGRAMDIR})
install(FILES ${QUIZDECK_DATA_FILES} ${QUIZDECK_PROGRAM_DIR}/quizdeck.hlp
        DESTINATION ${QUIZDECK_INSTALL_PROGRAMDIR})

# The commands on the PATH: relative links, made in the build tree and installed as links.
set(_qd_links_dir ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${_qd_links_dir})
foreach(_qd_program IN ITEMS quizdeck quizdeck-bank)
  file(RELATIVE_PATH _qd_target /${CMAKE_INSTALL_BINDIR} /${QUIZDECK_INSTALL_PROGRAMDIR}/${_qd_program})
  file(REMOVE ${_qd_links_dir}/${_qd_program})
  file(CREATE_LINK ${_qd_target} ${_qd_links_dir}/${_qd_program} SYMBOLIC)
  install(FILES ${_qd_links_dir}/${_qd_program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# The licence, where Debian looks for it.
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quizdeck RENAME copyright)

# Desktop integration.
install(FILES ${_qd_packaging}/${QUIZDECK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_qd_packaging}/${QUIZDECK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(_qd_size IN ITEMS 16 32 48 64 128 256)
  install(FILES ${_qd_packaging}/icons/hicolor/${_qd_size}x${_qd_size}/apps/${QUIZDECK_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_qd_size}x${_qd_size}/apps)
endforeach()
install(FILES ${_qd_packaging}/icons/hicolor/scalable/apps/${QUIZDECK_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME quizdeck)
set(CPACK_PACKAGE_VENDOR "${QUIZDECK_COMPANY}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-study quiz on classic Visual Basic programming")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Quizdeck is a desktop self-study quiz. You open one of fifteen sections on"
  "classic Visual Basic programming, read a question, pick one of four answers"
  "and press OK: Quizdeck tells you whether you were right, shows the correct"
  "answer and a short explanation. Nothing is scored or stored."
  ""
  "The package also holds quizdeck-bank, the question authors' tool that packs"
  "question sources into data files and checks them.")
set(QUIZDECK_PACKAGE_CONTACT "Larkfield Learning Software <quizdeck@larkfield.example>" CACHE STRING
    "Maintainer of the Debian package: Name <address>")
set(CPACK_PACKAGE_CONTACT "${QUIZDECK_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# What the program needs but does not link (the platform plugin that shows its windows, the fonts
# its windows are laid out for) is named by hand; the libraries come from dpkg-shlibdeps when it is
# there, and are named by hand too when it is not.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
find_program(QUIZDECK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUIZDECK_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  string(PREPEND CPACK_DEBIAN_PACKAGE_DEPENDS
         "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), ")
endif()
# An error log written by a root-run program would otherwise keep the program folder after removal.
set(QUIZDECK_DEB_PROGRAMDIR /usr/${QUIZDECK_INSTALL_PROGRAMDIR})
configure_file(${_qd_packaging}/debian/prerm.in ${CMAKE_BINARY_DIR}/packaging/debian/prerm @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/debian/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
