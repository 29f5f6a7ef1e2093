# Installs the package into a fresh prefix, then builds and runs a host of it there, once with
# CMake and once with pkg-config.   WORK_DIR, SOURCE_DIR (the host), COMPILER, LINK_FLAGS, and
# either BUILD_DIR (a build to install) or PACKAGE_DIR and PACKAGE_OPTIONS (sources to build
# first, so configured); CHECK_EXPORTS for shared libraries; TOOLCHAIN and EMULATOR for a
# cross build, whose hosts run under the emulator
function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGV} failed (${rc}):\n${out}\n${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

# A package built here is kept between runs, to be built again only where it changed.
file(REMOVE_RECURSE ${WORK_DIR}/prefix ${WORK_DIR}/build)
if(PACKAGE_DIR)
  set(BUILD_DIR ${WORK_DIR}/package)
  run(${CMAKE_COMMAND} -S ${PACKAGE_DIR} -B ${BUILD_DIR} -G Ninja ${PACKAGE_OPTIONS})
  run(${CMAKE_COMMAND} --build ${BUILD_DIR})
endif()
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

set(toolchain "")
set(exe "")
if(TOOLCHAIN)
  set(toolchain -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
  set(exe .exe)
endif()
run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G Ninja -DCMAKE_PREFIX_PATH=${prefix} ${toolchain}
    "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${EMULATOR} ${WORK_DIR}/build/consumer${exe})
run(${EMULATOR} ${WORK_DIR}/build/c_host${exe})
# A cross build's hosts end here: pkg-config and the monitor are the build machine's.
if(TOOLCHAIN)
  run(${EMULATOR} ${prefix}/bin/ztusbmon.exe --help)
  return()
endif()

# pkg-config finds the package beside its libraries; --static also lists what static
# libraries need. The language level is the host's to set.
file(GLOB pc_dir LIST_DIRECTORIES true ${prefix}/lib*/pkgconfig ${prefix}/lib/*/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
run(pkg-config --cflags --libs --static ztusb_udev)
separate_arguments(pc_flags UNIX_COMMAND "${output}")
get_filename_component(lib_dir ${pc_dir} DIRECTORY)
run(${COMPILER} -std=c++20 ${SOURCE_DIR}/main.cpp -o ${WORK_DIR}/consumer_pkg_config ${pc_flags}
    -Wl,-rpath,${lib_dir} ${LINK_FLAGS})
run(${WORK_DIR}/consumer_pkg_config)
run(pkg-config --cflags --libs ztusb-c)
separate_arguments(pc_flags UNIX_COMMAND "${output}")
run(${COMPILER} -x c ${SOURCE_DIR}/c_host.c -x none -o ${WORK_DIR}/c_host_pkg_config ${pc_flags}
    -Wl,-rpath,${lib_dir} ${LINK_FLAGS})
run(${WORK_DIR}/c_host_pkg_config)

# A shared ztusb exports its public calls and none of its insides (the rules that read COM
# port records, for one).
if(CHECK_EXPORTS)
  run(nm -DC --defined-only ${lib_dir}/libztusb++.so)
  if(NOT output MATCHES "zt_usb_detector::PortPath" OR output MATCHES "com_rules::")
    message(FATAL_ERROR "libztusb++.so exports the wrong symbols:\n${output}")
  endif()
endif()

# The monitor is installed and runs from there.
run(${prefix}/bin/ztusbmon --help)
