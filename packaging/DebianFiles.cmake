# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the staged tree before it is packed:
# Debian wants manual pages and the changelog compressed, and the page of
# kaldex-start to point at the compressed page of kaldex.
set(usr "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
message(STATUS "staged: ${usr}")
file(GLOB pages LIST_DIRECTORIES false "${usr}/share/man/man1/*.1" "${usr}/share/doc/kaldex/changelog")
foreach(page ${pages})
  if(IS_SYMLINK "${page}")
    file(READ_SYMLINK "${page}" target)
    file(REMOVE "${page}")
    file(CREATE_LINK "${target}.gz" "${page}.gz" SYMBOLIC)
  else()
    execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
