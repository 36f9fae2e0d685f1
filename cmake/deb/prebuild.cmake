# Runs in CPack after the files are staged, before the .deb is made: what a
# Debian package needs beyond `cmake --install`. Man pages are compressed,
# whoever installed them, and the change log is written from the releases of
# the AppStream metainfo, newest first.
set(stage ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
if(NOT IS_DIRECTORY ${stage}/usr)
  message(FATAL_ERROR "no staged /usr in ${stage}")
endif()

file(GLOB_RECURSE pages LIST_DIRECTORIES false ${stage}/usr/share/man/*)
foreach(page IN LISTS pages)
  if(NOT page MATCHES "\\.gz$" AND NOT IS_SYMLINK ${page})
    execute_process(COMMAND gzip -9n ${page} COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()

file(READ ${CPACK_CLIPFORGE_METAINFO} metainfo)
string(REGEX MATCHALL "<release version=\"[^\"]+\" date=\"[^\"]+\"" releases "${metainfo}")
if(NOT releases)
  message(FATAL_ERROR "${CPACK_CLIPFORGE_METAINFO} lists no release")
endif()
set(log "")
foreach(release IN LISTS releases)
  string(REGEX MATCH "version=\"([^\"]+)\" date=\"([^\"]+)\"" _ "${release}")
  set(version ${CMAKE_MATCH_1})
  execute_process(COMMAND date -u -R -d ${CMAKE_MATCH_2} OUTPUT_VARIABLE when
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  string(APPEND log "${CPACK_PACKAGE_NAME} (${version}) unstable; urgency=medium\n\n"
                    "  * Release ${version}; its notes are in the AppStream metainfo.\n\n"
                    " -- ${CPACK_CLIPFORGE_MAINTAINER}  ${when}\n\n")
endforeach()
string(STRIP "${log}" log)
set(doc ${stage}/usr/share/doc/${CPACK_PACKAGE_NAME})
file(MAKE_DIRECTORY ${doc})
file(WRITE ${doc}/changelog "${log}\n")
execute_process(COMMAND gzip -9nf ${doc}/changelog COMMAND_ERROR_IS_FATAL ANY)
