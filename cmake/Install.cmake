# What `cmake --install` puts where, and the Debian package made from it (`cpack -G DEB`).
# The programs install themselves (src/app, src/tools); this adds the desktop integration, the
# manuals, the notice of the data the program derives from, and the sample roll.

set(DRAVENHOLT_APP_ID org.dravenholt.Dravenholt)

install(FILES res/desktop/${DRAVENHOLT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/desktop/${DRAVENHOLT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 32 64 128 256)
  install(FILES res/icon/dravenholt-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${DRAVENHOLT_APP_ID}.png)
endforeach()
install(FILES res/icon/dravenholt.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${DRAVENHOLT_APP_ID}.svg)
install(FILES res/man/dravenholt.1 res/man/rollkit.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The attribution the unit list's licence asks for (data/nps/README.md).
install(FILES res/doc/NOTICE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dravenholt)

if(TARGET sample_database)
  install(FILES ${CMAKE_BINARY_DIR}/sample/mroll.cor ${CMAKE_BINARY_DIR}/sample/mroll.ext
                ${CMAKE_BINARY_DIR}/sample/mroll.tre ${CMAKE_BINARY_DIR}/sample/mrdb.id
          DESTINATION ${CMAKE_INSTALL_DATADIR}/dravenholt/sample)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dravenholt)
set(CPACK_PACKAGE_VENDOR "The Dravenholt developers")
set(CPACK_PACKAGE_CONTACT "The Dravenholt developers <developers@dravenholt.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Civil War muster roll viewer and rollkit")
set(CPACK_PACKAGE_DESCRIPTION
    "Searches the muster rolls of the American Civil War on the Kinloom data disk: a desktop\nviewer and rollkit, a command-line tool to search, check, dump and build roll databases.\nComes with a sample roll of generated entries.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY dravenholt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
