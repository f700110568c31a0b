# Install rules: the library with its SONAME links, the headers under their tree paths, a CMake
# package (find_package(ktbase CONFIG)), a pkg-config file, and the omltool command.
include(CMakePackageConfigHelpers)

set(ktbase_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ktbase)

install(TARGETS ktbase EXPORT ktbaseTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT ktbaseTargets NAMESPACE ktbase:: DESTINATION ${ktbase_cmake_dir})

if(TARGET omltool)
  install(TARGETS omltool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ktbaseConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/ktbaseConfig.cmake INSTALL_DESTINATION ${ktbase_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ktbaseConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ktbaseConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/ktbaseConfigVersion.cmake DESTINATION ${ktbase_cmake_dir})

# ktbase.pc finds the prefix from the folder it is installed in (pkg-config's ${pcfiledir}), so
# an installed tree works under any `cmake --install --prefix` and after it is moved whole. A
# libdir or includedir given as an absolute path is written as it is. An absolute libdir pins the
# file itself to one place from which no prefix can be found: then the file names the prefix that
# the install runs with, known only at install time.
set(ktbase_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(ktbase_pc_prefix "@KTBASE_INSTALL_PREFIX@")
  set(ktbase_pc_libdir "${CMAKE_INSTALL_LIBDIR}")
else()
  # The way up from the file's folder to the prefix, worked out on a stand-in prefix.
  cmake_path(SET ktbase_pc_base NORMALIZE "/prefix/${ktbase_pc_dir}")
  set(ktbase_pc_up /prefix)
  cmake_path(RELATIVE_PATH ktbase_pc_up BASE_DIRECTORY "${ktbase_pc_base}")
  set(ktbase_pc_prefix "\${pcfiledir}/${ktbase_pc_up}")
  set(ktbase_pc_libdir "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(ktbase_pc_includedir "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(ktbase_pc_includedir "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/ktbase.pc.in ${CMAKE_CURRENT_BINARY_DIR}/ktbase.pc @ONLY)
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  install(CODE "set(KTBASE_INSTALL_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    configure_file(\"${CMAKE_CURRENT_BINARY_DIR}/ktbase.pc\"
      \"${CMAKE_CURRENT_BINARY_DIR}/ktbase-install.pc\" @ONLY)")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ktbase-install.pc DESTINATION ${ktbase_pc_dir}
    RENAME ktbase.pc)
else()
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ktbase.pc DESTINATION ${ktbase_pc_dir})
endif()
