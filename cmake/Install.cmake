# Installs the header, both libraries, a CMake package (find_package(ravo_libm)
# gives ravo_libm::ravo_libm, shared, and ravo_libm::ravo_libm_static) and a
# pkg-config file ravo_libm.pc.
include(CMakePackageConfigHelpers)

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

# The .pc file is written when installing, with the prefix installed to
# (cmake --install --prefix P, or make install PREFIX=P) as a plain absolute
# path: pkg-config prints -I/P/include and -L/P/lib, and an rpath taken from
# its libdir is the library's folder as written. A tree moved after
# installing is found with pkg-config --define-prefix, which takes the prefix
# from the file's own place, <prefix>/lib/pkgconfig.
install(CODE "
  string(REGEX REPLACE \"(.)/+$\" \"\\\\1\" RAVO_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  set(CMAKE_INSTALL_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(CMAKE_INSTALL_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/cmake/ravo_libm.pc.in\" \"${PROJECT_BINARY_DIR}/ravo_libm.pc\" @ONLY)
")
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
