# Where `cmake --install` puts Daypane. Two components: `daypane`, the program, and `nwsim`,
# the stand-in directory client, which a site with the vendor's client must never get by accident.
include(GNUInstallDirs)

# ldpn finds its core library, its GUI library and the web-view plugin in
# <folder of the executable>/../lib/daypane, so these two paths stay fixed relative to each
# other whatever the prefix is.
set(DAYPANE_INSTALL_BINDIR bin)
set(DAYPANE_INSTALL_MODULEDIR lib/daypane)
set(DAYPANE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/daypane)
set(DAYPANE_INSTALL_NWSIM_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/daypane-nwsim)

install(TARGETS ldpn
  RUNTIME DESTINATION ${DAYPANE_INSTALL_BINDIR} COMPONENT daypane)
install(TARGETS daypane_core daypane_gui daypane_webview daypane_directory_ldap
  LIBRARY DESTINATION ${DAYPANE_INSTALL_MODULEDIR} COMPONENT daypane)

# Debian wants manual pages and changelogs compressed, reproducibly (no name or time stamp).
find_program(DAYPANE_GZIP gzip REQUIRED)
set(_daypane_docs_out ${CMAKE_BINARY_DIR}/docs)
set(_daypane_gz)
foreach(pair "ldpn.1;ldpn.1.gz" "changelog;changelog.gz")
  list(GET pair 0 _in)
  list(GET pair 1 _out)
  add_custom_command(
    OUTPUT ${_daypane_docs_out}/${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_daypane_docs_out}
    COMMAND ${DAYPANE_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/docs/${_in} > ${_daypane_docs_out}/${_out}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/${_in}
    VERBATIM)
  list(APPEND _daypane_gz ${_daypane_docs_out}/${_out})
endforeach()
add_custom_target(daypane_docs ALL DEPENDS ${_daypane_gz})

install(FILES ${_daypane_docs_out}/ldpn.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT daypane)
install(FILES docs/daypane.desktop
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT daypane)
install(FILES resources/icons/daypane.svg
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps COMPONENT daypane)
install(FILES resources/icons/daypane-48.png
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/48x48/apps
  RENAME daypane.png COMPONENT daypane)
install(FILES docs/copyright ${_daypane_docs_out}/changelog.gz
  DESTINATION ${DAYPANE_INSTALL_DOCDIR} COMPONENT daypane)
# Examples only: installing the package must never pop up a page on its own. An administrator
# copies the autostart entry to /etc/xdg/autostart/ after setting the page address.
install(FILES docs/daypane-autostart.desktop docs/login-script.sh
  DESTINATION ${DAYPANE_INSTALL_DOCDIR}/examples COMPONENT daypane)

# The stand-in client: the "full" variant, where the system's library search finds it as it
# would find the vendor's libraries (the program loads them by bare name).
if(TARGET nwsim_core)
  install(TARGETS nwsim_core nwsim_full_calwin32 nwsim_full_clxwin32 nwsim_full_netwin32
                  nwsim_full_locwin32
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT nwsim)
  install(FILES docs/copyright ${_daypane_docs_out}/changelog.gz
    DESTINATION ${DAYPANE_INSTALL_NWSIM_DOCDIR} COMPONENT nwsim)
  install(FILES nwsim/README.md
    DESTINATION ${DAYPANE_INSTALL_NWSIM_DOCDIR} COMPONENT nwsim)
  install(DIRECTORY resources/demo/directory/
    DESTINATION ${DAYPANE_INSTALL_NWSIM_DOCDIR}/examples COMPONENT nwsim
    FILES_MATCHING PATTERN "*.tree")
endif()
