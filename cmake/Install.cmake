# cmake --install lays out the usual tree under the prefix:
#   bin/qm570, bin/qm570-cli, bin/qm570-sim
#   share/qm570/Uninstall.exe, share/qm570/Kelvex.exe   the delivered data (read only)
#   share/applications/qm570.desktop
#   share/icons/hicolor/scalable/apps/qm570.svg
#   share/doc/qm570/LICENSE
# Installed programs find the data through ../share/qm570 (see
# src/settings/ProgramFolder.h); the desktop program keeps each user's own copy
# of the settings in ~/.local/share/qm570.

include(GNUInstallDirs)

install(TARGETS qm570 qm570-cli qm570-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The settings file is installed from its source, not from bin/: the programs
# run in the build tree write their settings into bin/Uninstall.exe.
install(FILES ${CMAKE_SOURCE_DIR}/data/Uninstall.ini
        DESTINATION ${CMAKE_INSTALL_DATADIR}/qm570 RENAME Uninstall.exe)
install(FILES ${QM570_BIN_DIR}/Kelvex.exe DESTINATION ${CMAKE_INSTALL_DATADIR}/qm570)
install(FILES ${CMAKE_SOURCE_DIR}/data/qm570.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/qm570.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(QM570_BUILD_TESTS)
  # Installs this build into a temporary prefix and runs the installed tool
  # there, with HOME in a temporary folder (cmake/InstallTest.cmake).
  add_test(NAME InstallTree.ToolRunsFromThePrefix
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DWORK_DIR=${CMAKE_BINARY_DIR}/install-test
            -P ${CMAKE_SOURCE_DIR}/cmake/InstallTest.cmake)
  set_tests_properties(InstallTree.ToolRunsFromThePrefix PROPERTIES TIMEOUT 120)

  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  if(DESKTOP_FILE_VALIDATE)
    add_test(NAME InstallTree.DesktopEntryIsValid
      COMMAND ${DESKTOP_FILE_VALIDATE} ${CMAKE_SOURCE_DIR}/data/qm570.desktop)
  endif()
endif()
