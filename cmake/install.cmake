# cmake --install: headers, the libraries and a package configuration, so that a host can
#   find_package(ZtUsbDetector CONFIG REQUIRED)
#   target_link_libraries(app ZtUsbDetector::ztusb)   # and ZtUsbDetector::ztusb_sim
include(CMakePackageConfigHelpers)

set(ZT_CONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZtUsbDetector)

install(TARGETS ztusb ztusb_sim EXPORT ZtUsbDetectorTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The public headers and what they include, under the package's own folder: a host writes
# #include "ztusb/detector/zt_usb_detector.h". The units' internal headers stay in the tree.
set(ZT_PUBLIC_HEADERS
  d2xx/D2XXUnit_ZT.h d2xx/d2xx_api.h
  detector/zt_usb_detector.h
  host/application.h host/classes.h host/com_objects.h host/com_ptr.h host/dialogs.h
  host/exception.h host/late_binding.h host/liveness.h host/log.h host/ole_error.h host/ole_server.h
  host/ole_variant.h host/safe_call.h host/shown_text.h host/string_list.h host/text.h host/window_binding.h
  sim/serial_devices.h sim/storage_devices.h sim/workstation.h
  udev/device_names.h udev/machine.h udev/mount_table.h
  win32/api.h win32/broadcast_records.h win32/com.h win32/com_emu.h win32/wbem_scripting.h
  win32/wbem_scripting_emu.h
  wmi/ZtWmiU.h wmi/wbem_factories.h wmi/wbem_scripting_ids.h wmi/wbem_server.h wmi/wbem_wrappers.h
  world/broadcast.h world/cim_repository.h world/cim_schema.h world/recorded_world.h)
foreach(header ${ZT_PUBLIC_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/ztusb/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ztusb/${folder})
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
