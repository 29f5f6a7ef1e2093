# Records a machine with ztusbmon, then replays the recording and checks that every
# inventory prints exactly what the machine printed.
#   PROGRAM, EMULATOR (may be empty), SOURCE (a ;-list of options choosing the machine:
#   empty for the system, or --world FILE), REPLAY_PROGRAM and REPLAY_EMULATOR (default:
#   the same), WORKDIR, RECORDING (the file to write), WATCH (also record the world's
#   script with record --watch --once, and check that its replay prints the same events)
if(NOT DEFINED REPLAY_PROGRAM)
  set(REPLAY_PROGRAM ${PROGRAM})
  set(REPLAY_EMULATOR ${EMULATOR})
endif()

function(run_monitor out emulator program)
  execute_process(COMMAND ${emulator} ${program} ${ARGN}
                  WORKING_DIRECTORY ${WORKDIR}
                  OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr RESULT_VARIABLE rc)
  if(NOT rc STREQUAL 0)
    message(FATAL_ERROR "${program} ${ARGN}: exit code ${rc}\n${stderr}")
  endif()
  string(REPLACE "\r\n" "\n" stdout "${stdout}")
  set(${out} "${stdout}" PARENT_SCOPE)
endfunction()

function(expect_same_output recording)
  run_monitor(machine "${EMULATOR}" ${PROGRAM} ${SOURCE} ${ARGN})
  run_monitor(replayed "${REPLAY_EMULATOR}" ${REPLAY_PROGRAM} --world ${recording} ${ARGN})
  if(NOT machine STREQUAL replayed)
    message(FATAL_ERROR "${ARGN} differs after the replay of ${recording}:\nmachine:\n${machine}\nreplayed:\n${replayed}")
  endif()
endfunction()

run_monitor(ignored "${EMULATOR}" ${PROGRAM} ${SOURCE} record -o ${RECORDING})
foreach(command "ports;--names" "ports;--details" "volumes" "usbasp" "devices" "--json;devices")
  expect_same_output(${RECORDING} ${command})
endforeach()
if(WATCH)
  run_monitor(ignored "${EMULATOR}" ${PROGRAM} ${SOURCE} record --watch --once -o ${RECORDING}.watch.json)
  expect_same_output(${RECORDING}.watch.json watch --once)
endif()
