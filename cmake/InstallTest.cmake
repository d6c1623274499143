# Installs the build BUILD_DIR into WORK_DIR/prefix and checks that the
# installed programs find their data there. HOME points into WORK_DIR, so
# nothing of the real user's is read or touched, and it must stay empty: the
# command-line tool and the simulator never write into the user's folder.
#   cmake -DBUILD_DIR=<build> -DWORK_DIR=<scratch> -P InstallTest.cmake

foreach(var BUILD_DIR WORK_DIR)
  if(NOT ${var})
    message(FATAL_ERROR "InstallTest.cmake needs -D${var}=...")
  endif()
endforeach()

set(prefix ${WORK_DIR}/prefix)
set(home ${WORK_DIR}/home)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${prefix} ${home})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}${err}")
endif()

foreach(f bin/qm570 bin/qm570-cli bin/qm570-sim
          share/qm570/Uninstall.exe share/qm570/Kelvex.exe
          share/applications/qm570.desktop share/icons/hicolor/scalable/apps/qm570.svg
          share/doc/qm570/LICENSE)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "the installed tree lacks ${f}")
  endif()
endforeach()
# Nothing beside the programs: they must find the data in share/qm570.
file(GLOB beside RELATIVE ${prefix}/bin ${prefix}/bin/*)
list(REMOVE_ITEM beside qm570 qm570-cli qm570-sim)
if(beside)
  message(FATAL_ERROR "unexpected files in bin/: ${beside}")
endif()

# Runs an installed program in the scratch HOME for at most run_timeout
# seconds; sets rc, out and err.
set(run_timeout 60)
macro(run_installed)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env HOME=${home} --unset=XDG_DATA_HOME --unset=XDG_CONFIG_HOME
            --unset=XDG_CACHE_HOME ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT ${run_timeout})
endmacro()

run_installed(${prefix}/bin/qm570-cli --help)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^usage: qm570-cli")
  message(FATAL_ERROR "qm570-cli --help: exit ${rc}\n${out}${err}")
endif()

run_installed(${prefix}/bin/qm570-cli decode ${prefix}/share/qm570/Kelvex.exe)
if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
  message(FATAL_ERROR "qm570-cli decode of the installed template: exit ${rc}\n${err}")
endif()
string(JSON kind ERROR_VARIABLE json_error TYPE "${out}")
if(json_error OR NOT kind STREQUAL "OBJECT")
  message(FATAL_ERROR "qm570-cli decode printed no JSON object (${json_error}):\n${out}")
endif()

# The simulator loads the installed template, then prints its terminal's path
# and waits for a programmer until the time-out ends it.
set(run_timeout 3)
run_installed(${prefix}/bin/qm570-sim --quiet)
if(NOT out MATCHES "^/dev/")
  message(FATAL_ERROR "qm570-sim did not start from the installed data (${rc}):\n${out}${err}")
endif()

file(GLOB_RECURSE left LIST_DIRECTORIES true ${home}/*)
if(left)
  message(FATAL_ERROR "the installed tool or simulator wrote into HOME: ${left}")
endif()
message(STATUS "installed tree in ${prefix} works")
