# cmake --install: headers, the libraries, the monitor, a package configuration and
# pkg-config files, so that a host can
#   find_package(ZtUsbDetector CONFIG REQUIRED [COMPONENTS udev umockdev])
#   target_link_libraries(app ZtUsbDetector::ztusb)   # ZtUsbDetector::ztusb_sim, ::ztusb_udev
#   target_link_libraries(c_app ZtUsbDetector::ztusb_c)  # the C interface, a shared library
#   target_link_libraries(app_test ZtUsbDetector::ztusb_umockdev)  # where libumockdev was found
include(CMakePackageConfigHelpers)

set(ZT_CONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZtUsbDetector)

install(TARGETS ztusb ztusb_sim ztusb_udev ztusb_c EXPORT ZtUsbDetectorTargets)
install(TARGETS ztusbmon)
# The headers a host includes and those they include, under the package's own folder: a host
# writes #include "ztusb/detector/zt_usb_detector.h". The units' internal headers (the
# component's private class, the liveness helper, the broadcast decoder) stay in the tree.
set(ZT_PUBLIC_HEADERS
  d2xx/D2XXUnit_ZT.h d2xx/d2xx_api.h
  detector/detector_thread.h devices/detector_thread.h detector/port_path.h detector/usb_id.h detector/zt_usb_detector.h
  devices/device_source.h devices/device_watch.h devices/devices.h devices/machine_source.h devices/this_machine.h devices/usb_device.h devices/world_in_use.h
  host/application.h host/classes.h host/com_objects.h host/com_ptr.h host/dialogs.h
  host/exception.h host/late_binding.h host/log.h host/ole_error.h host/ole_server.h
  host/ole_variant.h host/safe_call.h host/shown_text.h host/string_list.h host/text.h host/window_binding.h
  sim/boards.h sim/serial_devices.h sim/storage_devices.h sim/workstation.h testkit/test_world.h
  udev/device_names.h udev/found_devices.h udev/machine.h udev/machine_mirror.h udev/mount_table.h
  udev/named_devices.h
  win32/api.h win32/broadcast_records.h win32/com.h win32/com_emu.h win32/device_tree.h
  win32/message_sources_emu.h win32/registry_values.h win32/usb_identity.h
  win32/wbem_scripting.h win32/wbem_scripting_emu.h win32/windows_names.h
  wmi/ZtWmiU.h wmi/wbem_bindings.h wmi/wbem_factories.h wmi/wbem_scripting_ids.h wmi/wbem_server.h
  wmi/wbem_wrappers.h
  world/broadcast.h world/cim_repository.h world/cim_schema.h world/device_tree.h world/former_namespace.h
  world/recorded_world.h)
# The testing kit's umockdev testbeds, in an export of their own: only a host that asks for
# them needs libumockdev.
if(TARGET ztusb_umockdev)
  install(TARGETS ztusb_umockdev EXPORT ZtUsbDetectorUmockdevTargets)
  install(EXPORT ZtUsbDetectorUmockdevTargets NAMESPACE ZtUsbDetector:: DESTINATION ${ZT_CONFIG_DIR})
  list(APPEND ZT_PUBLIC_HEADERS testkit/umockdev_bed.h)
endif()
foreach(header ${ZT_PUBLIC_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/ztusb/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ztusb/${folder})
endforeach()
install(FILES ${ZT_GENERATED_INCLUDE}/ztusb/export.h ${PROJECT_SOURCE_DIR}/ztusb/ztusb.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ztusb)
install(EXPORT ZtUsbDetectorTargets NAMESPACE ZtUsbDetector:: DESTINATION ${ZT_CONFIG_DIR})

# A static library brings libudev to the host's link; a shared one keeps it to itself.
set(ZT_UDEV_DEPENDENCY "")
if(ZT_MACHINE STREQUAL "udev" AND NOT BUILD_SHARED_LIBS)
  set(ZT_UDEV_DEPENDENCY [[
find_dependency(PkgConfig)
pkg_check_modules(LIBUDEV REQUIRED QUIET IMPORTED_TARGET libudev)]])
endif()
# The udev component is accepted for the hosts that ask for it: this machine's devices are in
# the one library. The umockdev component is the testing kit's library, where it was built.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/ZtUsbDetectorConfig.cmake.in [[
@PACKAGE_INIT@
include(CMakeFindDependencyMacro)
find_dependency(Threads)
@ZT_UDEV_DEPENDENCY@
include("${CMAKE_CURRENT_LIST_DIR}/ZtUsbDetectorTargets.cmake")
foreach(_zt_component IN LISTS ZtUsbDetector_FIND_COMPONENTS)
  set(ZtUsbDetector_${_zt_component}_FOUND FALSE)
  if(_zt_component STREQUAL "udev")
    set(ZtUsbDetector_udev_FOUND TRUE)
  elseif(_zt_component STREQUAL "umockdev" AND EXISTS "${CMAKE_CURRENT_LIST_DIR}/ZtUsbDetectorUmockdevTargets.cmake")
    find_dependency(PkgConfig)
    pkg_check_modules(UMOCKDEV QUIET IMPORTED_TARGET umockdev-1.0)
    if(UMOCKDEV_FOUND)
      include("${CMAKE_CURRENT_LIST_DIR}/ZtUsbDetectorUmockdevTargets.cmake")
      set(ZtUsbDetector_umockdev_FOUND TRUE)
    endif()
  endif()
endforeach()
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

# For hosts without CMake: pkg-config ztusb, ztusb_sim or ztusb_udev (C++), ztusb-c (C).
set(ZT_PC_PRIVATE_LIBS "")
if(WIN32)
  set(ZT_PC_PRIVATE_LIBS "-luser32 -lole32 -loleaut32 -lcfgmgr32")
elseif(CMAKE_DL_LIBS)
  set(ZT_PC_PRIVATE_LIBS "-l${CMAKE_DL_LIBS} -pthread")
else()
  set(ZT_PC_PRIVATE_LIBS "-pthread")
endif()
set(ZT_PC_UDEV_PRIVATE "")
if(ZT_MACHINE STREQUAL "udev")
  set(ZT_PC_UDEV_PRIVATE libudev)
endif()
file(RELATIVE_PATH ZT_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" ZT_PC_TO_PREFIX "${ZT_PC_TO_PREFIX}")
# name, description, required modules, private modules, libraries, private libraries
function(zt_pkg_config name description requires requires_private libs libs_private)
  file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${name}.pc @ONLY CONTENT [[
prefix=${pcfiledir}/@ZT_PC_TO_PREFIX@
includedir=${prefix}/@CMAKE_INSTALL_INCLUDEDIR@
libdir=${prefix}/@CMAKE_INSTALL_LIBDIR@

Name: @name@
Description: @description@
Version: @PROJECT_VERSION@
Requires: @requires@
Requires.private: @requires_private@
Cflags: -I${includedir}
Libs: @libs@
Libs.private: @libs_private@
]])
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${name}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()
zt_pkg_config(ztusb "Which USB devices come and go: COM ports, volumes, USB devices with all their faces (C++20)"
              "" "${ZT_PC_UDEV_PRIVATE}" "-L\${libdir} -lztusb++" "${ZT_PC_PRIVATE_LIBS}")
# The C interface: its shared library holds all it needs.
zt_pkg_config(ztusb-c "Which USB devices come and go: the C interface" "" "" "-L\${libdir} -lztusb" "")
# The names of the library's parts when they were libraries of their own.
zt_pkg_config(ztusb_sim "A Windows device world in-process, with simulated devices (C++20)" ztusb "" "" "")
zt_pkg_config(ztusb_udev "This machine's USB devices (C++20)" ztusb "" "" "")
if(TARGET ztusb_umockdev)
  zt_pkg_config(ztusb_umockdev "USB devices plugged into and pulled out of umockdev testbeds, for tests" ztusb
                umockdev-1.0 "-L\${libdir} -lztusb_umockdev" "")
endif()
