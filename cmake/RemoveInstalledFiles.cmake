# Removes what an earlier install put under a prefix, as listed in the file
# InstallManifest.cmake leaves there: run before every install (so files an
# older version installed and this one does not, a renamed library or a
# module for another Python, go too), and by `make uninstall`.
#   cmake -DRAVO_PREFIX=/some/where -P cmake/RemoveInstalledFiles.cmake
# RAVO_MANIFEST is the list's path under the prefix. A prefix without the
# list is left as it is.
if(NOT DEFINED RAVO_MANIFEST)
  set(RAVO_MANIFEST share/ravo_libm/installed-files.txt)
endif()
string(REGEX REPLACE "(.)/+$" "\\1" RAVO_PREFIX "${RAVO_PREFIX}")
if(NOT EXISTS "${RAVO_PREFIX}/${RAVO_MANIFEST}")
  return()
endif()
file(STRINGS "${RAVO_PREFIX}/${RAVO_MANIFEST}" RAVO_LISTED)
set(RAVO_FOLDERS "")
foreach(relative IN LISTS RAVO_LISTED)
  # Only plain paths below the prefix: the list is a file anyone with write
  # access to the prefix could have edited.
  if(relative MATCHES "^/|(^|/)\\.\\.(/|$)" OR relative STREQUAL "")
    continue()
  endif()
  set(path "${RAVO_PREFIX}/${relative}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    file(REMOVE "${path}")
  endif()
  get_filename_component(folder "${path}" DIRECTORY)
  # Python's compiled copies of a module, written beside it on import.
  if(relative MATCHES "\\.py$")
    get_filename_component(stem "${path}" NAME_WE)
    file(GLOB cached "${folder}/__pycache__/${stem}.*.pyc")
    if(cached)
      file(REMOVE ${cached})
    endif()
    list(APPEND RAVO_FOLDERS "${folder}/__pycache__")
  endif()
  list(APPEND RAVO_FOLDERS "${folder}")
endforeach()
file(REMOVE "${RAVO_PREFIX}/${RAVO_MANIFEST}")
get_filename_component(folder "${RAVO_PREFIX}/${RAVO_MANIFEST}" DIRECTORY)
list(APPEND RAVO_FOLDERS "${folder}")
# The project's own folders (lib/cmake/ravo_libm, share/doc/ravo_libm, the
# Python package, ...) once empty; shared ones (lib, include, man1) stay.
list(REMOVE_DUPLICATES RAVO_FOLDERS)
list(SORT RAVO_FOLDERS ORDER DESCENDING)
foreach(folder IN LISTS RAVO_FOLDERS)
  file(RELATIVE_PATH relative "${RAVO_PREFIX}" "${folder}")
  if(IS_DIRECTORY "${folder}" AND relative MATCHES "(^|/)ravo_libm(/|$)")
    file(GLOB left LIST_DIRECTORIES true "${folder}/*" "${folder}/.*")
    if(NOT left)
      file(REMOVE_RECURSE "${folder}")
    endif()
  endif()
endforeach()
