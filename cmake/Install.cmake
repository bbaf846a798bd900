# Installs the header, both libraries, a CMake package (find_package(ravo_libm)
# gives ravo_libm::ravo_libm, shared, and ravo_libm::ravo_libm_static) and a
# pkg-config file ravo_libm.pc.
include(CMakePackageConfigHelpers)

# First of all install rules: the files an earlier install listed under the
# prefix go (RemoveInstalledFiles.cmake), so installing over an older
# version leaves none of its files behind. Not for a staged install
# (DESTDIR): a package build starts from an empty folder.
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    set(RAVO_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    set(RAVO_MANIFEST \"${CMAKE_INSTALL_DATADIR}/ravo_libm/installed-files.txt\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/RemoveInstalledFiles.cmake\")
  endif()
")

set(RAVO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ravo_libm)

install(TARGETS ravo_libm ravo_libm_static EXPORT ravo_libm_targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/libdev/ravo/ravo_libm.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT ravo_libm_targets NAMESPACE ravo_libm::
  FILE ravo_libm-targets.cmake DESTINATION ${RAVO_CMAKE_DIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ravo_libm-config.cmake.in
  ${PROJECT_BINARY_DIR}/ravo_libm-config.cmake INSTALL_DESTINATION ${RAVO_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ravo_libm-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ravo_libm-config.cmake
  ${PROJECT_BINARY_DIR}/ravo_libm-config-version.cmake DESTINATION ${RAVO_CMAKE_DIR})

# The .pc file finds its prefix from its own place, ${pcfiledir}, so an
# installed tree works wherever it is moved: prefix=${pcfiledir}/../.. for
# lib/pkgconfig, one more .. per extra level of the libdir (a multiarch
# lib/x86_64-linux-gnu). A package for the system's own prefix turns this off
# (RAVO_PKGCONFIG_RELOCATABLE=OFF), since pkg-config drops -I/usr/include and
# -L for the system's library folder only when they are written plainly;
# then, as with an absolute libdir or includedir, the prefix is the one
# configured.
option(RAVO_PKGCONFIG_RELOCATABLE "ravo_libm.pc takes its prefix from its own place (\${pcfiledir})" ON)
set(RAVO_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
set(RAVO_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
if(RAVO_PKGCONFIG_RELOCATABLE AND NOT IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}"
   AND NOT IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  string(REGEX REPLACE "/+$" "" depth "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
  string(REGEX REPLACE "[^/]+" ".." depth "${depth}")
  set(RAVO_PC_PREFIX "\${pcfiledir}/${depth}")
else()
  set(RAVO_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
    set(RAVO_PC_LIBDIR "${CMAKE_INSTALL_LIBDIR}")
  endif()
  if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
    set(RAVO_PC_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}")
  endif()
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/ravo_libm.pc.in ${PROJECT_BINARY_DIR}/ravo_libm.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ravo_libm.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Manual pages: csqrt_scalar(3), with a link page for each other export, and
# csqrt(1) for the tool; and the licence.
file(GLOB RAVO_MAN3_PAGES ${PROJECT_SOURCE_DIR}/man/man3/*.3)
install(FILES ${RAVO_MAN3_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
if(RAVO_BUILD_TOOLS)
  install(FILES ${PROJECT_SOURCE_DIR}/man/man1/csqrt.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
