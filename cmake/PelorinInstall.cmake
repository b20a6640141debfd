# SPDX-License-Identifier: Apache-2.0
# What `cmake --install` puts on a system: the two libraries with their
# SONAMEs, the public headers, the reader-access library with its readers file, the
# programs with their desktop entry and man page, and the files through which
# other builds find the kit (pkg-config and a CMake package).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(pelorin vekORN PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION 1)
target_include_directories(pelorin INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_include_directories(vekORN INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

install(TARGETS pelorin vekORN EXPORT pelorinTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/pelorin_lib/include/pelorin
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/vek/libvek2019.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pelorin)

# The reader-access library in the default path. Its readers file as installed
# names no reader, so a plain installation opens no port and reads no
# simulated card until one is configured; the build tree's readers file
# beside the library stays behind. A readers file that names the simulated
# reader, for trying the kit without one.
install(TARGETS kvsdecompose LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/reader/readers.conf DESTINATION ${CMAKE_INSTALL_SYSCONFDIR}/pelorin)
install(FILES ${PROJECT_SOURCE_DIR}/simulator/readers.conf ${PROJECT_SOURCE_DIR}/simulator/README.md
  DESTINATION ${CMAKE_INSTALL_DATADIR}/pelorin/simulator)
# A card file of each kind, with the photos and fingerprints they name, for a
# first try of each kind's record: "simulated .../cards/hmt.json".
set(PELORIN_CARDS ${PROJECT_SOURCE_DIR}/tests/fixtures/cards)
install(FILES ${PELORIN_CARDS}/cn.json ${PELORIN_CARDS}/cn_photo.bmp ${PELORIN_CARDS}/cn_fp.bin
  ${PELORIN_CARDS}/hmt.json ${PELORIN_CARDS}/hmt_photo.bmp ${PELORIN_CARDS}/fnew.json ${PELORIN_CARDS}/fnew_photo.bmp
  ${PELORIN_CARDS}/f2017.json ${PELORIN_CARDS}/f2017_photo.bmp
  DESTINATION ${CMAKE_INSTALL_DATADIR}/pelorin/simulator/cards)
install(FILES ${PROJECT_SOURCE_DIR}/examples/web/index.html DESTINATION ${CMAKE_INSTALL_DATADIR}/pelorin/web)

install(TARGETS pelorin-read pelorin-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/tools/pelorin-read/pelorin-read.1 ${PROJECT_SOURCE_DIR}/demo/pelorin-demo.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/capi/pelorin_c.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)
install(FILES ${PROJECT_SOURCE_DIR}/reader/readers.conf.5 DESTINATION ${CMAKE_INSTALL_MANDIR}/man5)
install(FILES ${PROJECT_SOURCE_DIR}/demo/pelorin-demo.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/pelorin_lib/Pics/icon.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/72x72/apps RENAME pelorin-demo.png)
# A template: the reader's USB identifiers go in before it is used.
install(FILES ${PROJECT_SOURCE_DIR}/udev/60-pelorin-reader.rules ${PROJECT_SOURCE_DIR}/udev/README.md
  DESTINATION ${CMAKE_INSTALL_DATADIR}/pelorin/udev)

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

# What the rules above install and nothing else (no tools of the tree, no
# tests): a package build makes this target alone.
add_custom_target(deliverables)
add_dependencies(deliverables pelorin vekORN kvsdecompose pelorin_c pelorin-read pelorin-demo
  pelorin-service)
