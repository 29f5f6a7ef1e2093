# Installs the build into a fresh prefix and compiles each installed header alone, as a host
# with strict warnings (turned into errors) includes it.   BUILD_DIR, WORK_DIR, COMPILER,
# PREAMBLE (names a host has at global scope, which the headers must not shadow)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installing ${BUILD_DIR} failed (${rc})")
endif()

set(include_dir ${WORK_DIR}/prefix/include)
file(GLOB_RECURSE headers RELATIVE ${include_dir} ${include_dir}/ztusb/*.h)
if(NOT headers)
  message(FATAL_ERROR "no headers installed under ${include_dir}/ztusb")
endif()
set(failed "")
foreach(header IN LISTS headers)
  # A source that includes the header, as a host's does.
  string(MAKE_C_IDENTIFIER ${header} source)
  file(WRITE ${WORK_DIR}/${source}.cpp "#include \"${header}\"\n")
  execute_process(COMMAND ${COMPILER} -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Wshadow
                          -Wconversion -Wsign-conversion -Werror -I${include_dir} -include ${PREAMBLE}
                          ${WORK_DIR}/${source}.cpp
                  RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(APPEND failed "\n--- ${header}\n${err}")
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "headers that do not compile cleanly alone:${failed}")
endif()
list(LENGTH headers count)
message(STATUS "${count} headers compile cleanly alone")
