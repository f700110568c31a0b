# Install rules: the library with its SONAME links, the headers under their tree paths, a CMake
# package (find_package(ktbase CONFIG)) and a pkg-config file.
include(CMakePackageConfigHelpers)

set(ktbase_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ktbase)

install(TARGETS ktbase EXPORT ktbaseTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT ktbaseTargets NAMESPACE ktbase:: DESTINATION ${ktbase_cmake_dir})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ktbaseConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/ktbaseConfig.cmake INSTALL_DESTINATION ${ktbase_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ktbaseConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ktbaseConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/ktbaseConfigVersion.cmake DESTINATION ${ktbase_cmake_dir})

configure_file(${CMAKE_CURRENT_LIST_DIR}/ktbase.pc.in ${CMAKE_CURRENT_BINARY_DIR}/ktbase.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ktbase.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
