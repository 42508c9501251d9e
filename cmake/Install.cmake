# What `cmake --install` puts where, and the packages CPack makes of it:
# on Linux a Debian package of both programs, on Windows a ZIP of the batch
# runner. The programs install their own targets (bin/).
include(GNUInstallDirs)

# The manual and the license: beside the program in the ZIP, in the
# documentation folder on Linux; the manual's pictures with it.
if(WIN32)
  set(TARVEX_DOC_DIR .)
else()
  set(TARVEX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tarvex)
endif()
install(FILES README.md LICENSE DESTINATION ${TARVEX_DOC_DIR})
install(DIRECTORY docs/ DESTINATION ${TARVEX_DOC_DIR}/docs FILES_MATCHING PATTERN "*.png")

# The window in the desktop's menus, with its icon.
if(TARVEX_BUILD_GUI AND NOT WIN32)
  install(FILES packaging/tarvex-sim.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/tarvex-sim.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# The page (tools/web makes it): the window's form in a browser, beside the
# batch runner in the ZIP, with the program's shared files on Linux. A build
# without it packages without it; tools/package makes it first.
set(TARVEX_PAGE ${CMAKE_CURRENT_SOURCE_DIR}/build/web/tarvex-sim.html
    CACHE FILEPATH "The page to package beside the programs")
# Beside it, a short README that says how to open it.
if(WIN32)
  set(TARVEX_PAGE_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(TARVEX_PAGE_DIR ${CMAKE_INSTALL_DATADIR}/tarvex)
endif()
if(NOT EMSCRIPTEN)
  install(FILES ${TARVEX_PAGE} DESTINATION ${TARVEX_PAGE_DIR} OPTIONAL)
  install(FILES web/README-page.txt DESTINATION ${TARVEX_PAGE_DIR}
          RENAME tarvex-sim-README.txt)
endif()

set(CPACK_PACKAGE_NAME tarvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Acceleration/deceleration simulator of the Tarvex pulse generator")
set(CPACK_PACKAGE_DESCRIPTION
    "tarvex-sim, a window that simulates the speed profile of the Tarvex pulse-output chip's\n\
acceleration/deceleration generator tick by tick, with live readouts, a speed graph, a data\n\
log and parameter files; and tarvex-batch, the same engine without a window for scripts,\n\
parameter sweeps and regression checks.")
set(CPACK_PACKAGE_CONTACT "The Tarvex simulator authors")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  # The libraries the programs link, as Debian's packages of them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  if(TARVEX_BUILD_GUI)
    # Loaded at run time rather than linked: Qt's platform plugins, and a
    # Japanese font for the window's texts; Qt's own dialogs in Japanese.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
  endif()
endif()
include(CPack)
