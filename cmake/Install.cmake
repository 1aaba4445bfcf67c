# What `cmake --install` puts where, and the Debian package CPack makes of it.
# Relocatable: the programs find their data in ${KALDEX_DATA_FROM_BIN} from bin/.

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)
configure_file(${packaging}/kaldex-start.in ${generated}/kaldex-start @ONLY)
configure_file(${packaging}/kaldex.1 ${generated}/kaldex.1 @ONLY)
configure_file(${packaging}/kaldex-tool.1 ${generated}/kaldex-tool.1 @ONLY)
configure_file(${packaging}/changelog ${generated}/changelog @ONLY)
file(CREATE_LINK kaldex.1 ${generated}/kaldex-start.1 SYMBOLIC)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS kaldex kaldex-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${generated}/kaldex-start DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ui/help/RICHEDIT.HLP ui/help/KALDEX.HLP DESTINATION ${KALDEX_INSTALL_DATADIR})
install(FILES sample/ba0 DESTINATION ${KALDEX_INSTALL_DATADIR}/sample)
install(FILES ${packaging}/kaldex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/kaldex.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128)
  install(FILES ${packaging}/kaldex-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kaldex.png)
endforeach()
install(FILES ${generated}/kaldex.1 ${generated}/kaldex-tool.1 ${generated}/kaldex-start.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md ${packaging}/copyright ${generated}/changelog DESTINATION ${CMAKE_INSTALL_DOCDIR})

# cpack -G DEB: kaldex_<version>_amd64.deb, dependencies from the binaries.
set(CPACK_PACKAGE_NAME kaldex)
set(CPACK_PACKAGE_VENDOR "KALDEX developers")
set(CPACK_PACKAGE_CONTACT "KALDEX developers <kaldex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bibliographic database on transport properties of gas mixtures")
set(CPACK_PACKAGE_DESCRIPTION "KALDEX keeps the scientific literature on the transport properties of
rarefied gas mixtures (viscosity, thermal conductivity, diffusion, thermal
diffusion) and on the interaction potentials of their components in one
text file. Search it by subject keys, substances, author, years and notes,
collect documents in a pocket and lay them out as a report; kaldex-tool
checks, searches and exports the database (CSV, RIS, BibTeX) from the
command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${packaging}/DebianFiles.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-translations-l10n")
include(CPack)
