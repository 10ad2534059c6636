# Where `cmake --install` puts the programs and what a desktop needs of them,
# and the Debian package that `make package` builds from the same rules.
include(GNUInstallDirs)

set(ZU_PACKAGE_NAME zu-kirdo)
# Debian keeps a package's documentation under the package's own name.
set(ZU_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${ZU_PACKAGE_NAME})
set(ZU_MAINTAINER "ZU_Kirdo maintainers <maintainers@users.noreply.c-seed-1570975b.example>")
set(ZU_GENERATED ${CMAKE_BINARY_DIR}/installed)

# Debian keeps manual pages and changelogs compressed, with no name or time
# stamp inside, so the same source gives the same package.
function(zu_gzip source target)
  add_custom_command(OUTPUT ${target}
    COMMAND gzip -9n -c ${source} > ${target}
    DEPENDS ${source} VERBATIM)
endfunction()

set(zu_man_pages zu_kirdo_dump)
if(ZU_BUILD_GUI)
  list(APPEND zu_man_pages zu_kirdo)
endif()
set(zu_installed_files)
foreach(page ${zu_man_pages})
  set(VERSION ${PROJECT_VERSION})
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.1.in ${ZU_GENERATED}/${page}.1 @ONLY)
  zu_gzip(${ZU_GENERATED}/${page}.1 ${ZU_GENERATED}/${page}.1.gz)
  list(APPEND zu_installed_files ${ZU_GENERATED}/${page}.1.gz)
  install(FILES ${ZU_GENERATED}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${ZU_GENERATED}/changelog @ONLY)
zu_gzip(${ZU_GENERATED}/changelog ${ZU_GENERATED}/changelog.gz)
list(APPEND zu_installed_files ${ZU_GENERATED}/changelog.gz)
add_custom_target(zu_installed_files ALL DEPENDS ${zu_installed_files})

install(TARGETS zu_kirdo_dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md packaging/copyright ${ZU_GENERATED}/changelog.gz
  DESTINATION ${ZU_DOC_DIR})

if(ZU_BUILD_GUI)
  install(TARGETS zu_kirdo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES resources/zu_kirdo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES resources/zu_kirdo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 32 64 128)
    install(FILES resources/icons/zu_kirdo-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
      RENAME zu_kirdo.png)
  endforeach()
  install(FILES resources/icons/zu_kirdo.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# ---- the Debian package ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZU_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ZU_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for Japanese PC-communication forum logs")
# CPack puts the summary first and indents the rest; an empty line parts it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "ZU_Kirdo reads the message logs saved from a 1990s Japanese
PC-communication forum service: plain Shift-JIS (CP932) text files of up
to 3000 messages each. It shows the messages of up to ten logs in one
thread tree, each comment under the message it answers, searches them and
prints the selected message.

The command-line tool zu_kirdo_dump prints, searches and converts the same
logs in a terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the libraries linked; libarchive, which reads the
# archives, is loaded only when one is met, so it is named here. The windows
# also need a Japanese face for their texts and Qt's Japanese translations
# for its own dialogs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libarchive13, fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
