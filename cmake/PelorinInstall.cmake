# SPDX-License-Identifier: Apache-2.0
# The files through which other builds find the installed kit: pkg-config and
# a CMake package. Each folder installs its own targets and files beside them.
include(CMakePackageConfigHelpers)

# The .pc files name the prefix as it is, as Debian's own do.
foreach(pc pelorin vekORN pelorin_c)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

set(PELORIN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/pelorin)
install(EXPORT pelorinTargets NAMESPACE pelorin:: DESTINATION ${PELORIN_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/pelorinConfig.cmake.in
  ${PROJECT_BINARY_DIR}/pelorinConfig.cmake INSTALL_DESTINATION ${PELORIN_CMAKE_DIR}
  PATH_VARS CMAKE_INSTALL_LIBDIR CMAKE_INSTALL_INCLUDEDIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/pelorinConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/pelorinConfig.cmake ${PROJECT_BINARY_DIR}/pelorinConfigVersion.cmake
  DESTINATION ${PELORIN_CMAKE_DIR})

# What the folders install and nothing else (no tools of the tree, no tests):
# a package build makes this target alone.
add_custom_target(deliverables)
add_dependencies(deliverables pelorin vekORN kvsdecompose pelorin_c pelorin-read pelorin-demo
  pelorin-service)
