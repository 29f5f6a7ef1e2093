# cmake --install: headers, the libraries and a package configuration, so that a host can
#   find_package(ZtUsbDetector CONFIG REQUIRED)
#   target_link_libraries(app ZtUsbDetector::ztusb)   # and ZtUsbDetector::ztusb_sim
include(CMakePackageConfigHelpers)

set(ZT_CONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZtUsbDetector)

install(TARGETS ztusb ztusb_sim EXPORT ZtUsbDetectorTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(folder win32 host detector wmi d2xx world sim udev)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ZtUsbDetector
          FILES_MATCHING PATTERN "*.h")
endforeach()
install(EXPORT ZtUsbDetectorTargets NAMESPACE ZtUsbDetector:: DESTINATION ${ZT_CONFIG_DIR})

set(ZT_CONFIG_DEPENDENCIES "")
if(ZT_MACHINE STREQUAL "udev")
  set(ZT_CONFIG_DEPENDENCIES "include(CMakeFindDependencyMacro)
find_dependency(PkgConfig)
pkg_check_modules(LIBUDEV REQUIRED IMPORTED_TARGET libudev)")
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/ZtUsbDetectorConfig.cmake.in [[
@PACKAGE_INIT@
@ZT_CONFIG_DEPENDENCIES@
include("${CMAKE_CURRENT_LIST_DIR}/ZtUsbDetectorTargets.cmake")
check_required_components(ZtUsbDetector)
]])
configure_package_config_file(${CMAKE_CURRENT_BINARY_DIR}/ZtUsbDetectorConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/ZtUsbDetectorConfig.cmake
                              INSTALL_DESTINATION ${ZT_CONFIG_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ZtUsbDetectorConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ZtUsbDetectorConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/ZtUsbDetectorConfigVersion.cmake
        DESTINATION ${ZT_CONFIG_DIR})
