# Runs ztusbmon once and checks its exit code and one of its streams.
#   PROGRAM, ARGS (a ;-list), EMULATOR (may be empty), WORKDIR, EXPECTED_RC, STREAM
#   (stdout or stderr), and one of GOLDEN (a file to equal), CONTAINS (a regex some line
#   must match) or PATTERN (a regex every non-empty line must match).
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${ARGS}
                WORKING_DIRECTORY ${WORKDIR}
                OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr RESULT_VARIABLE rc)
set(text "${${STREAM}}")
string(REPLACE "\r\n" "\n" text "${text}")
# What the emulator adds of its own (Wine's note of a nonzero exit) is not the program's.
string(REGEX REPLACE "wine-run.sh: [^\n]*\n?" "" text "${text}")
if(NOT rc STREQUAL EXPECTED_RC)
  message(FATAL_ERROR "exit code ${rc}, expected ${EXPECTED_RC}\nstdout:\n${stdout}\nstderr:\n${stderr}")
endif()
string(REPLACE "\n" ";" lines "${text}")
if(DEFINED GOLDEN)
  file(READ ${GOLDEN} expected)
  if(NOT text STREQUAL expected)
    message(FATAL_ERROR "${STREAM} differs from ${GOLDEN}:\n${text}")
  endif()
elseif(DEFINED CONTAINS)
  foreach(line IN LISTS lines)
    if(line MATCHES "${CONTAINS}")
      return()
    endif()
  endforeach()
  message(FATAL_ERROR "no line matches ${CONTAINS}:\n${text}")
else()
  foreach(line IN LISTS lines)
    if(NOT line STREQUAL "" AND NOT line MATCHES "${PATTERN}")
      message(FATAL_ERROR "line does not match ${PATTERN}: ${line}")
    endif()
  endforeach()
endif()
