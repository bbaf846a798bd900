# Included last by the top-level CMakeLists.txt, once every target exists.

# Everything the install rules copy, so that `make install` builds exactly
# that from a fresh clone: both libraries, and the csqrt tool and the Python
# module where they are built.
add_custom_target(ravo_installables)
foreach(target ravo_libm ravo_libm_static csqrt ravo_libm_python)
  if(TARGET ${target})
    add_dependencies(ravo_installables ${target})
  endif()
endforeach()

# The list of installed files, relative to the prefix, installed last under
# it: the next install into the prefix (or `make uninstall`) removes them
# first (RemoveInstalledFiles.cmake). A staged install (DESTDIR, as a
# package build does) writes no list: the package manager keeps its own.
set(RAVO_MANIFEST ${CMAKE_INSTALL_DATADIR}/ravo_libm/installed-files.txt)
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    string(REGEX REPLACE \"(.)/+$\" \"\\\\1\" RAVO_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    set(RAVO_MANIFEST_PATH \"\${RAVO_PREFIX}/${RAVO_MANIFEST}\")
    set(RAVO_LISTED \"\")
    foreach(path IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
      file(RELATIVE_PATH relative \"\${RAVO_PREFIX}\" \"\${path}\")
      list(APPEND RAVO_LISTED \"\${relative}\")
    endforeach()
    list(APPEND RAVO_LISTED \"${RAVO_MANIFEST}\")
    list(REMOVE_DUPLICATES RAVO_LISTED)
    list(JOIN RAVO_LISTED \"\\n\" RAVO_LISTED)
    file(WRITE \"\${RAVO_MANIFEST_PATH}\" \"\${RAVO_LISTED}\\n\")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${RAVO_MANIFEST_PATH}\")
  endif()
")
