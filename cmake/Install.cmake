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

# Relocatable: the prefix is found from the .pc file's own place.
file(RELATIVE_PATH RAVO_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
configure_file(${PROJECT_SOURCE_DIR}/cmake/ravo_libm.pc.in
  ${PROJECT_BINARY_DIR}/ravo_libm.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ravo_libm.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Manual pages: csqrt_scalar(3), with a link page for each other export, and
# csqrt(1) for the tool; and the licence.
file(GLOB RAVO_MAN3_PAGES ${PROJECT_SOURCE_DIR}/man/*.3)
install(FILES ${RAVO_MAN3_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
if(RAVO_BUILD_TOOLS)
  install(FILES ${PROJECT_SOURCE_DIR}/man/csqrt.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
