# The Debian package, made by CPack's DEB generator from what `cmake --install`
# installs (tools/package.sh runs it on a Release build of its own).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane-clipforge)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvane Clipforge")
set(CPACK_PACKAGE_CONTACT "Orvane Clipforge maintainers <support@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ringtone maker: cut, join and convert songs")
set(CPACK_PACKAGE_DESCRIPTION
  "Orvane Clipforge imports songs as clips, trims each clip between a Mark In
and a Mark Out with fades and loudness levelling, orders the clips in a list
and joins them into one ringtone, saved as M4R, Ogg Vorbis, Opus, FLAC, MP3
or WAV. It also records from a sound-card input and converts single files
between MP3 and WAV.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install rules see the final prefix (/usr) and DESTDIR, as with a
# system install: the menu entry names /usr/bin/orvane-clipforge.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvane.github.io/clipforge/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libbass.so and the modules live beside the program: shlibdeps finds them there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_INSTALL_PREFIX}/lib/orvane-clipforge)

# The packages of the libraries in runtime-libraries.txt, as this machine has them.
function(clipforge_runtime_packages depends_var recommends_var)
  set(depends "")
  set(recommends "")
  file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/runtime-libraries.txt lines REGEX "^lib")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^([^ ]+) +([A-Za-z]+)" _ "${line}")
    set(name ${CMAKE_MATCH_1})
    set(field ${CMAKE_MATCH_2})
    find_file(path_${name} ${name} PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE} /usr/lib NO_DEFAULT_PATH)
    if(NOT path_${name})
      message(WARNING "${name}, loaded at run time, is not installed here: the package will not name it")
      continue()
    endif()
    file(REAL_PATH ${path_${name}} real)
    execute_process(COMMAND dpkg-query -S ${real} OUTPUT_VARIABLE owner RESULT_VARIABLE rc ERROR_QUIET)
    if(NOT rc EQUAL 0)
      message(WARNING "no Debian package holds ${real}: the package will not name it")
      continue()
    endif()
    string(REGEX REPLACE "[:,].*" "" package "${owner}")
    if(field STREQUAL "Depends")
      list(APPEND depends ${package})
    else()
      list(APPEND recommends ${package})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES depends)
  list(REMOVE_DUPLICATES recommends)
  list(JOIN depends ", " depends)
  list(JOIN recommends ", " recommends)
  set(${depends_var} "${depends}" PARENT_SCOPE)
  set(${recommends_var} "${recommends}" PARENT_SCOPE)
endfunction()

if(EXISTS /usr/bin/dpkg-query)
  clipforge_runtime_packages(runtime_depends runtime_recommends)
  # Added to what dpkg-shlibdeps finds.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${runtime_depends}")
  # A sound server to play through and record from (libpulse is its client).
  list(APPEND runtime_recommends "pulseaudio | pipewire-pulse")
  list(JOIN runtime_recommends ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
endif()

# CPack writes a postinst and a postrm of its own that run ldconfig when
# libraries lie under /usr/lib, unless scripts of those names are given here.
# The libraries beside the program are private to it and never in the
# loader's cache, and the package needs no script at all (without one, dpkg
# forgets a removed package entirely): the names given do not exist, and
# CPack packs no script.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_LIST_DIR}/deb/no-scripts/postinst ${CMAKE_CURRENT_LIST_DIR}/deb/no-scripts/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Compresses the man pages and writes the Debian change log into the staged tree.
set(CLIPFORGE_METAINFO ${PROJECT_SOURCE_DIR}/desktop/io.github.orvane.Clipforge.metainfo.xml)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb/prebuild.cmake)
set(CPACK_CLIPFORGE_METAINFO ${CLIPFORGE_METAINFO})
set(CPACK_CLIPFORGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})

include(CPack)
